#include "platform/files.h"

#include "platform/code_page.h"
#include "platform/handles.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>

namespace quellary {

namespace {

void capture(FileError* error, DWORD code) {
    if (error != nullptr) {
        *error = {code, systemErrorText(code)};
    }
}

// ERROR_SUCCESS when every byte was written. A short write that reports success leaves no error of its own:
// the disk is full.
DWORD writeAll(HANDLE file, std::string_view bytes) {
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        return ::GetLastError();
    }
    return written == bytes.size() ? static_cast<DWORD>(ERROR_SUCCESS) : static_cast<DWORD>(ERROR_DISK_FULL);
}

// A second program updating the file at the same time is waited for up to about a second (20 tries, 50 ms
// apart); it takes longer only when something else holds the file, and then the update is given up.
constexpr int updateAttempts = 20;
constexpr DWORD updateRetryMilliseconds = 50;

// The next content is written to a draft beside the file, opened sharing only reading and deletion (its move
// into place): a second updater cannot open it for writing until this one has moved it.
UniqueFile openDraft(const std::string& draftPath) {
    for (int attempt = 1;; ++attempt) {
        UniqueFile draft(::CreateFileA(draftPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (draft || ::GetLastError() != ERROR_SHARING_VIOLATION || attempt == updateAttempts) {
            return draft;
        }
        ::Sleep(updateRetryMilliseconds);
    }
}

// A reader that opened the file without sharing deletion (a viewer, a virus scanner) blocks the replacement for
// a moment.
bool replaceWithDraft(const std::string& draftPath, const std::string& path) {
    for (int attempt = 1;; ++attempt) {
        if (::MoveFileExA(draftPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        const DWORD code = ::GetLastError();
        if ((code != ERROR_SHARING_VIOLATION && code != ERROR_ACCESS_DENIED) || attempt == updateAttempts) {
            return false;
        }
        ::Sleep(updateRetryMilliseconds);
    }
}

// The next content written into the file itself, for a file that cannot be replaced: a reader holds it without
// sharing deletion, as a viewer that follows a log does. Where the content only grows, only the added tail is
// written, and a reader never sees the old part change.
bool writeInPlace(const std::string& path, std::string_view old, std::string_view content) {
    const UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    const bool grows = content.starts_with(old);
    LARGE_INTEGER from{};
    from.QuadPart = grows ? static_cast<LONGLONG>(old.size()) : 0;
    return ::SetFilePointerEx(file.get(), from, nullptr, FILE_BEGIN) &&
           writeAll(file.get(), grows ? content.substr(old.size()) : content) == ERROR_SUCCESS &&
           ::SetEndOfFile(file.get()) && ::FlushFileBuffers(file.get());
}

} // namespace

bool fileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

std::optional<std::string> readWholeFile(const std::string& path, FileError* error) {
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        capture(error, ::GetLastError());
        return std::nullopt;
    }
    return readToEnd(file.get(), error);
}

std::optional<std::string> readToEnd(HANDLE file, FileError* error) {
    std::string bytes;
    char buffer[16384];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            capture(error, ::GetLastError());
            if (error != nullptr) {
                error->whileOpening = false;
            }
            return std::nullopt;
        }
        if (got == 0) {
            return bytes;
        }
        bytes.append(buffer, got);
    }
}

std::optional<std::string> readTextFile(const std::string& path, FileError* error) {
    std::optional<std::string> bytes = readWholeFile(path, error);
    if (!bytes) {
        return std::nullopt;
    }
    return textForCodePage(*bytes, legacyAnsiCodePage(), ::GetACP());
}

bool writeNewFile(const std::string& path, std::string_view bytes, FileError* error) {
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        capture(error, ::GetLastError());
        return false;
    }
    if (const DWORD code = writeAll(file.get(), bytes); code != ERROR_SUCCESS) {
        capture(error, code);
        // A part of the content must not be taken for the whole file later.
        file.reset();
        ::DeleteFileA(path.c_str());
        return false;
    }
    return true;
}

bool copyFileTo(const std::string& from, const std::string& to, bool replace, FileError* error) {
    if (!::CopyFileA(from.c_str(), to.c_str(), replace ? FALSE : TRUE)) {
        capture(error, ::GetLastError());
        return false;
    }
    return true;
}

bool sameFileContents(const std::string& a, const std::string& b) {
    const auto open = [](const std::string& path) {
        return UniqueFile(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    };
    const UniqueFile first = open(a);
    const UniqueFile second = open(b);
    LARGE_INTEGER firstSize{};
    LARGE_INTEGER secondSize{};
    if (!first || !second || !::GetFileSizeEx(first.get(), &firstSize) || !::GetFileSizeEx(second.get(), &secondSize) ||
        firstSize.QuadPart != secondSize.QuadPart) {
        return false;
    }
    std::vector<char> firstPart(65536);
    std::vector<char> secondPart(firstPart.size());
    for (LONGLONG left = firstSize.QuadPart; left > 0;) {
        const auto want = static_cast<DWORD>(std::min<LONGLONG>(left, static_cast<LONGLONG>(firstPart.size())));
        DWORD firstRead = 0;
        DWORD secondRead = 0;
        if (!::ReadFile(first.get(), firstPart.data(), want, &firstRead, nullptr) ||
            !::ReadFile(second.get(), secondPart.data(), want, &secondRead, nullptr) || firstRead != want ||
            secondRead != want || std::memcmp(firstPart.data(), secondPart.data(), want) != 0) {
            return false;
        }
        left -= want;
    }
    return true;
}

bool updateFileInOneStep(const std::string& path, const std::function<std::string(std::string_view)>& next) noexcept {
    try {
        if (const std::size_t slash = path.find_last_of('\\'); slash != std::string::npos) {
            if (!::CreateDirectoryA(path.substr(0, slash).c_str(), nullptr) &&
                ::GetLastError() != ERROR_ALREADY_EXISTS) {
                return false;
            }
        }
        // The draft is held from before the file is read until after it has replaced the file: a second updater
        // waits in openDraft and then reads the file with this update in it, so neither is lost. A draft left by
        // a crash is simply written over by the next update.
        const std::string draftPath = path + ".new";
        UniqueFile draft = openDraft(draftPath);
        if (!draft) {
            return false;
        }
        FileError error;
        const std::optional<std::string> existing = readWholeFile(path, &error);
        if (!existing && error.code != ERROR_FILE_NOT_FOUND) {
            return false;
        }
        const std::string content = next(existing.value_or(""));
        if (writeAll(draft.get(), content) == ERROR_SUCCESS && ::FlushFileBuffers(draft.get()) &&
            replaceWithDraft(draftPath, path)) {
            return true;
        }
        const bool written = writeInPlace(path, existing.value_or(""), content);
        // Let go of before it is deleted: a draft deleted while held stays until it is closed, and meanwhile a
        // second updater could not make its own.
        draft.reset();
        ::DeleteFileA(draftPath.c_str());
        return written;
    } catch (const std::exception&) {
        return false;
    }
}

std::string systemErrorText(DWORD code) {
    char* text = nullptr;
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = length != 0 ? std::string(text, length) : "Error " + std::to_string(code);
    ::LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' ')) {
        result.pop_back();
    }
    return result;
}

} // namespace quellary
