#include "platform/own_file.h"

#include "platform/file_identity.h"
#include "platform/file_names.h"
#include "platform/wide_text.h"
#include "platform/security.h"

#include <utility>

namespace quellary {

namespace {

constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

void capture(FileError* error, DWORD code) {
    if (error != nullptr) {
        *error = {code, systemErrorText(code)};
    }
}

// The file or link itself at `path`, opened to be deleted; an invalid handle with GetLastError set when there is
// none or it cannot be opened.
UniqueFile openForDeletion(const std::string& path) {
    return UniqueFile(::CreateFileA(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, shareAll,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                    nullptr));
}

bool setAttributes(HANDLE file, DWORD attributes) {
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
    return ::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic) != 0;
}

// A read-only file must first lose that attribute, or the system refuses; one that stays (held by a process) gets
// it back, so that a failed deletion changes nothing.
bool deleteThrough(HANDLE file, DWORD attributes) {
    const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly && !setAttributes(file, attributes & ~FILE_ATTRIBUTE_READONLY)) {
        return false;
    }
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (::SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition)) {
        return true;
    }
    const DWORD error = ::GetLastError();
    if (readOnly) {
        (void)setAttributes(file, attributes);
    }
    ::SetLastError(error);
    return false;
}

// The path as the system reports it for an open file, without the "\\?\" that it puts in front.
std::wstring finalPath(HANDLE file) {
    const std::wstring path = finalPathOf(file, 0);
    if (path.starts_with(L"\\\\?\\UNC\\")) {
        return L"\\" + path.substr(7);
    }
    return path.starts_with(L"\\\\?\\") ? path.substr(4) : path;
}

std::wstring fullPath(const std::wstring& path) {
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) {
            return {};
        }
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length);
    }
}

// Whether the open file lies, under its own name, in the folder that `path` names, wherever that folder really is
// (a mapped drive, a folder moved through a junction, which the path's own folders may be). A link at the name
// itself is opened, and deleted, as the link; where a link was followed anyway (Wine follows a Unix link even at
// the name), the file reached lies elsewhere.
bool reachedAsNamed(HANDLE file, const std::string& path) {
    const std::wstring named = fullPath(wideText(path));
    const std::size_t slash = named.find_last_of(L'\\');
    if (slash == std::wstring::npos) {
        return false;
    }
    const UniqueFile folder(::CreateFileW(named.substr(0, slash + 1).c_str(), FILE_READ_ATTRIBUTES, shareAll, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    const std::wstring folderReached = folder ? finalPath(folder.get()) : std::wstring();
    const std::wstring reached = finalPath(file);
    if (folderReached.empty() || reached.empty()) {
        return false;
    }
    // The name as the folder lists it: a path in its 8.3 form may name the file by its short name too.
    const std::wstring longForm = longPath(named);
    const std::wstring expected = folderReached + (folderReached.ends_with(L'\\') ? L"" : L"\\") +
                                  longForm.substr(longForm.find_last_of(L'\\') + 1);
    return sameFileName(reached, expected);
}

} // namespace

std::optional<OwnFile> OwnFile::makeAnew(const std::string& path, DWORD refusedAttributes, FileError* error) {
    if (const UniqueFile old = openForDeletion(path)) {
        BY_HANDLE_FILE_INFORMATION info{};
        if (!::GetFileInformationByHandle(old.get(), &info)) {
            capture(error, ::GetLastError());
            return std::nullopt;
        }
        const bool link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
            (!link && (info.dwFileAttributes & refusedAttributes) != 0) || info.nNumberOfLinks > 1 ||
            !reachedAsNamed(old.get(), path)) {
            capture(error, ERROR_ACCESS_DENIED);
            return std::nullopt;
        }
        if (!deleteThrough(old.get(), link ? 0 : info.dwFileAttributes)) {
            capture(error, ::GetLastError());
            return std::nullopt;
        }
    } else if (const DWORD code = ::GetLastError(); code != ERROR_FILE_NOT_FOUND) {
        capture(error, code);
        return std::nullopt;
    }
    // The name is free once the old file's last handle has closed. Whatever comes to stand at the name meanwhile
    // (someone else's file or link) makes the creation fail rather than be followed or written into.
    OwnAccess access;
    if (access.attributes() == nullptr) {
        capture(error, ::GetLastError());
        return std::nullopt;
    }
    UniqueFile made(::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES | SYNCHRONIZE, shareAll, access.attributes(),
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!made) {
        capture(error, ::GetLastError());
        return std::nullopt;
    }
    return OwnFile(path, std::move(made));
}

UniqueFile OwnFile::open(DWORD access, FileError* error) const {
    UniqueFile file(::ReOpenFile(held_.get(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, 0));
    if (!file) {
        capture(error, ::GetLastError());
        return file;
    }
    // Windows opens the held file itself; Wine opens the name again, which may lead to another file by now.
    const std::optional<FileId> held = fileIdOf(held_.get());
    if (!held || held != fileIdOf(file.get())) {
        capture(error, ERROR_FILE_INVALID);
        return {};
    }
    return file;
}

bool deleteFileInItsFolder(const std::string& path) {
    const UniqueFile file = openForDeletion(path);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !::GetFileInformationByHandle(file.get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return false;
    }
    return reachedAsNamed(file.get(), path) &&
           deleteThrough(file.get(), info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT ? 0 : info.dwFileAttributes);
}

} // namespace quellary
