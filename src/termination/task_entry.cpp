#include "termination/task_entry.h"

namespace quellary {

namespace {

constexpr std::string_view notAFullPath =
    "is neither a program's file name nor a full path (drive letter, colon, backslash, folders, file name)";

// Why a character can be in no file name, or nothing; the separators are judged with the path's shape.
std::string_view unheldCharacter(char c) {
    switch (c) {
    case '*':
        return "holds the wildcard *";
    case '?':
        return "holds ?, a wildcard or a letter that this system's code page lacks";
    case '<':
        return "holds <, which no file name holds";
    case '>':
        return "holds >, which no file name holds";
    case '|':
        return "holds |, which no file name holds";
    case '"':
        return "holds \", which no file name holds";
    case '/':
        return "holds /, which no file name holds (a full path separates its folders with \\)";
    default:
        return static_cast<unsigned char>(c) < ' ' ? "holds a control character" : "";
    }
}

template <class Char> std::basic_string_view<Char> normalised(std::basic_string_view<Char> name) {
    const auto first = name.find_first_not_of(Char(' '));
    if (first == name.npos) {
        return {};
    }
    constexpr Char dropped[] = {Char(' '), Char('.')};
    const auto last = name.find_last_not_of(std::basic_string_view<Char>(dropped, 2));
    return last == name.npos || last < first ? name.substr(first, 0) : name.substr(first, last - first + 1);
}

bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// At least `least` backslash-separated parts, none of them empty, "." or "..", and no colon (a stream).
bool arePathParts(std::string_view parts, std::size_t least) {
    std::size_t count = 0;
    for (std::size_t start = 0;; ++count) {
        const std::size_t end = parts.find('\\', start);
        const std::string_view part = parts.substr(start, end == std::string_view::npos ? end : end - start);
        if (part.empty() || part == "." || part == ".." || part.find(':') != std::string_view::npos) {
            return false;
        }
        if (end == std::string_view::npos) {
            return count + 1 >= least;
        }
        start = end + 1;
    }
}

} // namespace

std::wstring_view normalisedName(std::wstring_view name) {
    return normalised(name);
}

std::string_view normalisedName(std::string_view name) {
    return normalised(name);
}

EntryClass classifyEntry(std::string_view entry) {
    entry = normalisedName(entry);
    for (const char c : entry) {
        if (const std::string_view why = unheldCharacter(c); !why.empty()) {
            return {EntryKind::Unusable, std::string(why)};
        }
    }
    if (entry.find_first_of("\\:") == std::string_view::npos) {
        return {EntryKind::ImageName, {}};
    }
    const bool fullPath = entry.size() > 3 && isDriveLetter(entry[0]) && entry.substr(1, 2) == ":\\"
                              ? arePathParts(entry.substr(3), 1)
                          : entry.starts_with("\\\\") ? arePathParts(entry.substr(2), 3)
                                                      : false;
    if (!fullPath) {
        return {EntryKind::Unusable, std::string(notAFullPath)};
    }
    return {EntryKind::FullPath, {}};
}

std::string unusableEntriesMessage(const std::vector<UnusableEntry>& entries) {
    if (entries.empty()) {
        return {};
    }
    std::string text = entries.size() == 1
                           ? "This entry of the task list is no program's name, so no task was looked for under it:"
                           : "These entries of the task list are no program's name, so no task was looked for under "
                             "them:";
    for (const UnusableEntry& e : entries) {
        text.append("\r\n    ").append(e.entry).append(": ").append(e.why);
    }
    text.append("\r\nName each program by its file name (cvagent.exe) or by the full path of its file "
                "(C:\\Program Files\\Halvane\\Corvana\\cvagent.exe).");
    return text;
}

} // namespace quellary
