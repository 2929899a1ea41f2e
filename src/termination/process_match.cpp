#include "termination/process_match.h"

#include "termination/task_entry.h"

#include <algorithm>
#include <iterator>
#include <unordered_set>
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

// Windows makes an 8.3 name from the first letters of the long name's base, "~" and a number ("CVDIRS~1"), or,
// once many names share those letters, from two letters, four hex digits of a hash, "~" and a number
// ("CV1A2B~1"); Wine from a few letters, "~" and three letters of a hash ("CVDI~K3Q"). The extension is always
// the long one's first three letters. Loose on purpose: a name wrongly taken for a short one only costs a look
// at its image.
bool mayBeShortNameOf(std::wstring_view listed, std::wstring_view longName, SameName same) {
    const auto [base, extension] = splitExtension(listed);
    const std::size_t tilde = base.find(L'~');
    const auto alphanumeric = [](wchar_t c) {
        return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
    };
    if (tilde == 0 || tilde == std::wstring_view::npos || base.size() > 8 || extension.size() > 3 ||
        tilde + 1 == base.size() ||
        !std::all_of(base.begin() + static_cast<std::ptrdiff_t>(tilde) + 1, base.end(), alphanumeric)) {
        return false;
    }
    const auto [longBase, longExtension] = splitExtension(longName);
    const std::wstring letters = shortNameLetters(longBase);
    const std::wstring_view lead = base.substr(0, tilde);
    const auto startsTheName = [&](std::wstring_view part) {
        return !part.empty() && letters.size() >= part.size() &&
               same(part, std::wstring_view(letters).substr(0, part.size()));
    };
    const bool hashed = lead.size() > 4 && startsTheName(lead.substr(0, lead.size() - 4)) &&
                        std::all_of(lead.end() - 4, lead.end(), [](wchar_t c) {
                            return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f');
                        });
    return (startsTheName(lead) || hashed) && same(extension, shortNameLetters(longExtension).substr(0, 3));
}

std::optional<bool> sameFile(const FileKey& a, const FileKey& b, SameName same) {
    if (a.id.known() && b.id.known()) {
        return a.id == b.id;
    }
    if (!a.finalPath.empty() && !b.finalPath.empty()) {
        return same(a.finalPath, b.finalPath);
    }
    return std::nullopt;
}

std::wstring_view pathRoot(std::wstring_view path) {
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') {
        return path.substr(0, 3);
    }
    if (!path.starts_with(L"\\\\") || path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\")) {
        return {};
    }
    const std::size_t server = path.find(L'\\', 2);
    const std::size_t share = server == std::wstring_view::npos ? server : path.find(L'\\', server + 1);
    return share == std::wstring_view::npos || server == 2 || share == server + 1 ? std::wstring_view()
                                                                                  : path.substr(0, share + 1);
}

bool liesUnder(std::wstring_view path, std::wstring_view folder, SameName same) {
    while (!folder.empty() && folder.back() == L'\\') {
        folder.remove_suffix(1);
    }
    return !folder.empty() && path.size() > folder.size() + 1 && path[folder.size()] == L'\\' &&
           same(path.substr(0, folder.size()), folder);
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
    return imageMatch(image);
}

// "Not this file" only where the image is known to be another one. Where either side cannot be opened (a drive
// mapped for the user but not for an elevated run, a file this account may not open), a path written otherwise
// may still lead to the same file. A file deleted while its image runs is known by its path alone.
Match EntryMatch::imageMatch(const ImageLookup& image) const {
    if (image.file && file_.file) {
        if (const std::optional<bool> same = sameFile(*image.file, *file_.file, same_)) {
            return *same ? Match::Yes : Match::No;
        }
    }
    if (same_(image.path, file_.path)) {
        return Match::Yes;
    }
    // An image file that is there is not the one that is missing from the path.
    return image.file && file_.missing ? Match::No : Match::Unconfirmed;
}

RowsMatched matchOverRows(const EntryMatch& entry, const std::vector<ProcessRow>& rows, const ImageOf& imageOf) {
    RowsMatched matched;
    for (const ProcessRow& row : rows) {
        if (const Match match = entry(row, imageOf); match != Match::No) {
            matched.named.push_back({row.id, match});
            matched.best = std::max(matched.best, match);
        }
    }
    return matched;
}

std::vector<UnlistedProgram> unlistedPrograms(const std::vector<ProcessRow>& rows, const ImageOf& imageOf,
                                              const ImagePlaceOf& placeOf, const std::vector<EntryMatch>& listed,
                                              const std::vector<EntryMatch>& programFiles, const ClientFolder& folder,
                                              SameName same) {
    std::vector<ProcessRow> unlisted;
    std::copy_if(rows.begin(), rows.end(), std::back_inserter(unlisted), [&](const ProcessRow& row) {
        return std::none_of(listed.begin(), listed.end(),
                            [&](const EntryMatch& entry) { return entry(row, imageOf) != Match::No; });
    });
    std::vector<UnlistedProgram> programs;
    std::unordered_set<std::uint32_t> named;
    for (const EntryMatch& file : programFiles) {
        const RowsMatched matched = matchOverRows(file, unlisted, imageOf);
        if (matched.best != Match::No) {
            programs.push_back({file.file().path, matched.best == Match::Unconfirmed});
        }
        for (const RowMatch& row : matched.named) {
            named.insert(row.id);
        }
    }
    // What the walk cannot name is known by where its image lies, each path once.
    for (const ProcessRow& row : unlisted) {
        if (named.contains(row.id)) {
            continue;
        }
        const ImagePlace place = placeOf(row);
        if (place.state != ImageLookup::State::Read ||
            !(liesUnder(place.path, folder.path, same) || liesUnder(place.path, folder.shortPath, same) ||
              liesUnder(place.devicePath, folder.devicePath, same))) {
            continue;
        }
        const ImageLookup image = imageOf(row);
        const bool excluded =
            image.file && folder.excluded && sameFile(*image.file, *folder.excluded, same).value_or(false);
        const std::wstring& path = image.state == ImageLookup::State::Read ? image.path : place.path;
        if (!excluded && std::none_of(programs.begin(), programs.end(),
                                      [&](const UnlistedProgram& known) { return same(known.path, path); })) {
            programs.push_back({path, false});
        }
    }
    return programs;
}

} // namespace quellary
