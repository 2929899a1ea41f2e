#include "platform/files.h"

#include "platform/handles.h"
#include "platform/text.h"

#include <vector>

namespace quellary {

namespace {

void capture(FileError* error, DWORD code) {
    if (error != nullptr) {
        *error = {code, systemErrorText(code)};
    }
}

// The system locale's ANSI code page. GetACP() cannot tell it: under the UTF-8 code page it says 65001.
UINT legacyAnsiCodePage() {
    UINT codePage = 0;
    if (::GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                         reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(wchar_t)) == 0 ||
        codePage == 0) {
        return 1252;
    }
    return codePage;
}

std::string utf8FromCodePage(std::string_view bytes, UINT codePage) {
    if (bytes.empty()) {
        return {};
    }
    const int size = static_cast<int>(bytes.size());
    const int wideLength = ::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::vector<wchar_t> wide(static_cast<std::size_t>(wideLength));
    ::MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), wideLength);
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, text.data(), length, nullptr, nullptr);
    return text;
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
    std::string bytes;
    char buffer[16384];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
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
    if (const std::optional<std::string_view> text = asUtf8Text(*bytes)) {
        return std::string(*text);
    }
    return utf8FromCodePage(*bytes, legacyAnsiCodePage());
}

bool writeNewFile(const std::string& path, std::string_view bytes, FileError* error) {
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        capture(error, ::GetLastError());
        return false;
    }
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        // A short write that reports success leaves no error of its own: the disk is full.
        const DWORD code = ::GetLastError();
        capture(error, code != ERROR_SUCCESS ? code : static_cast<DWORD>(ERROR_DISK_FULL));
        // A part of the content must not be taken for the whole file later.
        file.reset();
        ::DeleteFileA(path.c_str());
        return false;
    }
    return true;
}

bool emptyFile(const std::string& path, FileError* error) {
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
        return true;
    }
    const DWORD code = ::GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || ::DeleteFileA(path.c_str())) {
        return true;
    }
    capture(error, code);
    return false;
}

bool copyFileTo(const std::string& from, const std::string& to, FileError* error) {
    if (!::CopyFileA(from.c_str(), to.c_str(), TRUE)) {
        capture(error, ::GetLastError());
        return false;
    }
    return true;
}

bool deleteFileAt(const std::string& path) {
    return ::DeleteFileA(path.c_str()) != 0;
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
