#include "termination/entry_match.h"

#include "termination/task_entry.h"

#include <algorithm>

namespace quellary {

namespace {

// Deep and wide enough for any installation; a client folder set to a drive's root is not walked whole.
constexpr int deepestFolder = 6;
constexpr int mostFiles = 20000;

NamedFile namedFile(const std::wstring& path) {
    const std::wstring longForm = longPath(path);
    return {longForm, shortFileName(longForm), fileKey(longForm)};
}

bool sameKey(const std::optional<FileKey>& a, const std::optional<FileKey>& b) {
    return a && b && a->index != 0 && a->volume == b->volume && a->index == b->index;
}

struct FolderWalk {
    const std::vector<ProcessRow>& rows;
    const std::optional<FileKey>& excluded;
    std::vector<EntryMatch> files;
    int seen = 0;

    [[nodiscard]] bool runsAsProcess(std::wstring_view name, std::wstring_view shortName) const {
        return std::any_of(rows.begin(), rows.end(), [&](const ProcessRow& row) {
            return sameFileName(row.name, name) || (!shortName.empty() && sameFileName(row.name, shortName)) ||
                   mayBeShortNameOf(row.name, name, sameFileName);
        });
    }

    void walk(const std::wstring& folder, int depth) {
        WIN32_FIND_DATAW found{};
        const HANDLE search = ::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoStandard, &found,
                                                 FindExSearchNameMatch, nullptr, 0);
        if (search == INVALID_HANDLE_VALUE) {
            return;
        }
        do {
            const std::wstring_view name = found.cFileName;
            if (name == L"." || name == L".." || ++seen > mostFiles) {
                continue;
            }
            const std::wstring path = folder + L"\\" + found.cFileName;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && depth < deepestFolder) {
                    walk(path, depth + 1);
                }
            } else if (runsAsProcess(name, found.cAlternateFileName)) {
                NamedFile file = namedFile(path);
                if (!sameKey(file.file, excluded)) {
                    files.push_back(EntryMatch::byFile(std::move(file), sameFileName));
                }
            }
        } while (seen <= mostFiles && ::FindNextFileW(search, &found));
        ::FindClose(search);
    }
};

} // namespace

EntryMatch entryMatch(std::wstring_view entry) {
    const std::wstring_view name = normalisedName(entry);
    switch (classifyEntry(narrowText(name, CP_UTF8)).kind) {
    case EntryKind::FullPath:
        return EntryMatch::byFile(namedFile(std::wstring(name)), sameFileName);
    case EntryKind::ImageName:
        return EntryMatch::byName(name, sameFileName);
    case EntryKind::Unusable:
        break;
    }
    return {};
}

std::vector<EntryMatch> programFilesIn(const std::wstring& folder, const std::vector<ProcessRow>& rows,
                                       const std::optional<FileKey>& excluded) {
    FolderWalk walk{rows, excluded, {}};
    std::wstring top = folder;
    while (!top.empty() && top.back() == L'\\') {
        top.pop_back();
    }
    if (!top.empty()) {
        walk.walk(top, 0);
    }
    return std::move(walk.files);
}

} // namespace quellary
