#include "termination/entry_match.h"

#include "platform/file_identity.h"
#include "platform/file_names.h"
#include "platform/handles.h"
#include "platform/wide_text.h"
#include "termination/task_entry.h"

#include <windows.h>

#include <algorithm>

namespace quellary {

namespace {

// Deep and wide enough for any installation, and a client folder set to a drive's root is not walked whole: a
// program beyond is found by where its image lies.
constexpr int deepestFolder = 6;
constexpr int mostFiles = 20000;

NamedFile namedFile(const std::wstring& path) {
    NamedFile named{longPath(path), {}, {}, false};
    named.shortName = shortFileName(named.path);
    DWORD error = ERROR_SUCCESS;
    named.file = fileKey(named.path, &error);
    // A drive that this run does not see (one mapped for the user, not for an elevated run) says nothing of the
    // file; one that answers does.
    if (!named.file && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)) {
        const std::wstring_view root = pathRoot(named.path);
        named.missing = !root.empty() && ::GetFileAttributesW(std::wstring(root).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    return named;
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
                if (!file.file || !excluded || !sameFile(*file.file, *excluded, sameFileName).value_or(false)) {
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

ClientFolder clientFolder(const std::wstring& folder, const std::optional<FileKey>& excluded) {
    ClientFolder client{longPath(folder), {}, {}, excluded};
    client.shortPath = shortPath(client.path);
    const UniqueFile opened(::CreateFileW(client.path.c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (opened) {
        client.devicePath = finalPathOf(opened.get(), FILE_NAME_NORMALIZED | VOLUME_NAME_NT);
    }
    return client;
}

std::vector<EntryMatch> programFilesIn(const ClientFolder& folder, const std::vector<ProcessRow>& rows) {
    FolderWalk walk{rows, folder.excluded, {}};
    std::wstring top = folder.path;
    while (!top.empty() && top.back() == L'\\') {
        top.pop_back();
    }
    if (!top.empty()) {
        walk.walk(top, 0);
    }
    return std::move(walk.files);
}

} // namespace quellary
