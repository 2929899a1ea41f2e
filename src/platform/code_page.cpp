#include "platform/code_page.h"

#include "platform/text.h"
#include "platform/wide_text.h"

#include <windows.h>

#include <optional>

namespace quellary {

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
        return activeCodePage == CP_UTF8 ? *utf8 : narrowText(wideText(*utf8, CP_UTF8), activeCodePage);
    }
    return narrowText(wideText(bytes, legacyCodePage), activeCodePage);
}

std::string utf8FromCodePage(std::string_view text, unsigned codePage) {
    return codePage == CP_UTF8 ? std::string(text) : narrowText(wideText(text, codePage), CP_UTF8);
}

std::string utf8FromActiveCodePage(std::string_view text) {
    return utf8FromCodePage(text, ::GetACP());
}

} // namespace quellary
