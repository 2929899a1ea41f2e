#include "platform/file_names.h"

#include <windows.h>

namespace quellary {

bool sameFileName(std::wstring_view a, std::wstring_view b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::wstring longPath(const std::wstring& path) {
    std::wstring full(path.size() + MAX_PATH, L'\0');
    const DWORD length = ::GetLongPathNameW(path.c_str(), full.data(), static_cast<DWORD>(full.size()));
    if (length == 0 || length >= full.size()) {
        return path;
    }
    full.resize(length);
    return full;
}

std::wstring shortPath(const std::wstring& path) {
    std::wstring shortForm(path.size() + MAX_PATH, L'\0');
    const DWORD length = ::GetShortPathNameW(path.c_str(), shortForm.data(), static_cast<DWORD>(shortForm.size()));
    if (length == 0 || length >= shortForm.size()) {
        return {};
    }
    shortForm.resize(length);
    return shortForm;
}

std::wstring shortFileName(const std::wstring& path) {
    const std::wstring shortForm = shortPath(path);
    if (shortForm.empty()) {
        return {};
    }
    const std::wstring_view name = std::wstring_view(shortForm).substr(shortForm.find_last_of(L'\\') + 1);
    const std::wstring_view longName = std::wstring_view(path).substr(path.find_last_of(L'\\') + 1);
    return sameFileName(name, longName) ? std::wstring() : std::wstring(name);
}

} // namespace quellary
