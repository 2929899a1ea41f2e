// Narrow text between code pages. Under the UTF-8 code page of the manifest (Windows 10 1903 and later) every
// narrow string of the program is UTF-8; an older Windows ignores the manifest, and every "A" function then takes
// and gives text of the active code page (GetACP()).
#pragma once

#include <string>
#include <string_view>

namespace quellary {

// The system locale's ANSI code page, in which older editors save. GetACP() cannot tell it: under the UTF-8 code
// page it says 65001.
[[nodiscard]] unsigned legacyAnsiCodePage();

// A text file's bytes as narrow text of `activeCodePage`: Unicode text (UTF-16 by its byte-order mark, or UTF-8)
// converted, anything else decoded from `legacyCodePage`. A character that the active code page cannot hold
// becomes "?", never a look-alike, so that no name turns into another program's.
[[nodiscard]] std::string textForCodePage(std::string_view bytes, unsigned legacyCodePage, unsigned activeCodePage);

// Narrow text of `codePage` as UTF-8, which the Windows-free logic reads: in a double-byte code page the second
// byte of a letter can be a backslash.
[[nodiscard]] std::string utf8FromCodePage(std::string_view text, unsigned codePage);
[[nodiscard]] std::string utf8FromActiveCodePage(std::string_view text);

} // namespace quellary
