#include "platform/code_page.h"

#include "platform/text.h"

#include <windows.h>

#include <optional>

namespace quellary {

namespace {

std::wstring wideFrom(std::string_view text, UINT codePage) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string narrowFrom(const std::wstring& wide, UINT codePage) {
    if (wide.empty()) {
        return {};
    }
    // Best fit would turn "ā" into "a" and "∕" into "/"; UTF-8 holds everything and takes neither flag nor
    // default character.
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* unheld = codePage == CP_UTF8 ? nullptr : "?";
    const int size = static_cast<int>(wide.size());
    const int length = ::WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, unheld, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(codePage, flags, wide.data(), size, text.data(), length, unheld, nullptr);
    return text;
}

} // namespace

unsigned legacyAnsiCodePage() {
    UINT codePage = 0;
    if (::GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                         reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(wchar_t)) == 0 ||
        codePage == 0) {
        return 1252;
    }
    return codePage;
}

std::string textForCodePage(std::string_view bytes, unsigned legacyCodePage, unsigned activeCodePage) {
    if (const std::optional<std::string> utf8 = unicodeTextAsUtf8(bytes)) {
        return activeCodePage == CP_UTF8 ? *utf8 : narrowFrom(wideFrom(*utf8, CP_UTF8), activeCodePage);
    }
    return narrowFrom(wideFrom(bytes, legacyCodePage), activeCodePage);
}

std::string utf8FromCodePage(std::string_view text, unsigned codePage) {
    return codePage == CP_UTF8 ? std::string(text) : narrowFrom(wideFrom(text, codePage), CP_UTF8);
}

std::string utf8FromActiveCodePage(std::string_view text) {
    return utf8FromCodePage(text, ::GetACP());
}

} // namespace quellary
