#include "platform/wide_text.h"

namespace quellary {

std::wstring wideText(std::string_view text, UINT codePage) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string narrowText(std::wstring_view text, UINT codePage) {
    if (text.empty()) {
        return {};
    }
    // UTF-8 holds everything, and refuses both the flag and a default character.
    const UINT resolved = codePage == CP_ACP ? ::GetACP() : codePage;
    const DWORD flags = resolved == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* unheld = resolved == CP_UTF8 ? nullptr : "?";
    const int size = static_cast<int>(text.size());
    const int length = ::WideCharToMultiByte(resolved, flags, text.data(), size, nullptr, 0, unheld, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(resolved, flags, text.data(), size, narrow.data(), length, unheld, nullptr);
    return narrow;
}

} // namespace quellary
