#include "termination/process_match.h"

#include "termination/task_entry.h"

#include <algorithm>
#include <utility>

namespace quellary {

namespace {

// The name split at its last dot: the base and the extension (empty when there is no dot).
std::pair<std::wstring_view, std::wstring_view> splitExtension(std::wstring_view name) {
    const std::size_t dot = name.find_last_of(L'.');
    return dot == std::wstring_view::npos ? std::pair{name, std::wstring_view{}}
                                          : std::pair{name.substr(0, dot), name.substr(dot + 1)};
}

// A long name's characters as its 8.3 name starts with them: no blanks or dots, and those that an 8.3 name
// cannot hold as underscores.
std::wstring shortNameLetters(std::wstring_view part) {
    std::wstring letters;
    for (const wchar_t c : part) {
        if (c == L' ' || c == L'.') {
            continue;
        }
        letters.push_back(std::wstring_view(L"+,;=[]").find(c) == std::wstring_view::npos ? c : L'_');
    }
    return letters;
}

} // namespace

std::wstring_view fileNameOf(std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

// Windows makes an 8.3 name from the first letters of the long name's base, "~" and a number, and the first
// three letters of its extension; a name it made from a hash of the long name is not recognised here.
bool mayBeShortNameOf(std::wstring_view listed, std::wstring_view longName, SameName same) {
    const auto [base, extension] = splitExtension(listed);
    const std::size_t tilde = base.find(L'~');
    if (tilde == 0 || tilde == std::wstring_view::npos || base.size() > 8 || extension.size() > 3 ||
        tilde + 1 == base.size() ||
        !std::all_of(base.begin() + static_cast<std::ptrdiff_t>(tilde) + 1, base.end(),
                     [](wchar_t c) { return c >= L'0' && c <= L'9'; })) {
        return false;
    }
    const auto [longBase, longExtension] = splitExtension(longName);
    const std::wstring letters = shortNameLetters(longBase);
    const std::wstring extensionLetters = shortNameLetters(longExtension).substr(0, 3);
    return letters.size() >= tilde && same(base.substr(0, tilde), std::wstring_view(letters).substr(0, tilde)) &&
           same(extension, extensionLetters);
}

EntryMatch EntryMatch::byName(std::wstring_view name, SameName same) {
    EntryMatch match;
    match.same_ = same;
    match.name_ = normalisedName(name);
    // No image is called "": the empty entry names nothing.
    match.kind_ = match.name_.empty() ? Kind::Nothing : Kind::Name;
    return match;
}

EntryMatch EntryMatch::byFile(NamedFile file, SameName same) {
    EntryMatch match;
    match.kind_ = Kind::File;
    match.same_ = same;
    match.name_ = fileNameOf(file.path);
    match.file_ = std::move(file);
    return match;
}

Match EntryMatch::operator()(const ProcessRow& row, const ImageOf& imageOf) const {
    if (kind_ == Kind::Nothing) {
        return Match::No;
    }
    const bool named = same_(row.name, name_) || (!file_.shortName.empty() && same_(row.name, file_.shortName));
    if (!named && !mayBeShortNameOf(row.name, name_, same_)) {
        return Match::No;
    }
    if (kind_ == Kind::Name && named) {
        return Match::Yes;
    }
    const ImageLookup image = imageOf(row);
    switch (image.state) {
    case ImageLookup::State::Gone:
        return Match::No;
    case ImageLookup::State::Denied:
        return Match::Unconfirmed;
    case ImageLookup::State::Read:
        break;
    }
    if (kind_ == Kind::Name) {
        return same_(fileNameOf(image.path), name_) ? Match::Yes : Match::No;
    }
    return sameImage(image) ? Match::Yes : Match::No;
}

// By the file's identity where both sides have one, else by the final paths, else by the paths as written: a file
// that no longer exists (replaced by an update while its old image runs) has only its path.
bool EntryMatch::sameImage(const ImageLookup& image) const {
    if (image.file && file_.file) {
        const FileKey& a = *image.file;
        const FileKey& b = *file_.file;
        if (a.index != 0 && b.index != 0) {
            return a.volume == b.volume && a.index == b.index;
        }
        if (!a.finalPath.empty() && !b.finalPath.empty()) {
            return same_(a.finalPath, b.finalPath);
        }
    }
    return same_(image.path, file_.path);
}

std::vector<UnlistedProgram> unlistedPrograms(const std::vector<ProcessRow>& rows, const ImageOf& imageOf,
                                              const std::vector<EntryMatch>& listed,
                                              const std::vector<EntryMatch>& programFiles) {
    std::vector<Match> found(programFiles.size(), Match::No);
    for (const ProcessRow& row : rows) {
        const auto names = [&](const EntryMatch& entry) { return entry(row, imageOf) != Match::No; };
        if (std::any_of(listed.begin(), listed.end(), names)) {
            continue;
        }
        for (std::size_t i = 0; i < programFiles.size(); ++i) {
            // A program seen running by its path outweighs a namesake whose path could not be read.
            found[i] = std::max(found[i], programFiles[i](row, imageOf));
        }
    }
    std::vector<UnlistedProgram> programs;
    for (std::size_t i = 0; i < programFiles.size(); ++i) {
        if (found[i] != Match::No) {
            programs.push_back({programFiles[i].file().path, found[i] == Match::Unconfirmed});
        }
    }
    return programs;
}

} // namespace quellary
