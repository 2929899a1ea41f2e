// Text encodings, free of any file system.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

namespace quellary {

// ASCII letters alike in either case, every other byte only itself: a letter of another script, which would need
// the system's case table, can only make two texts differ.
[[nodiscard]] constexpr bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return fold(x) == fold(y); });
}

// The text without the blanks at either end.
[[nodiscard]] constexpr std::string_view trimmedOfBlanks(std::string_view text) noexcept {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view()
                                           : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The bytes as UTF-8 text, without a leading byte-order mark, when they are well-formed UTF-8 (no overlong
// forms, no surrogates, nothing past U+10FFFF); nothing when they are not, and so must be text of an older
// code page. Plain ASCII is UTF-8.
[[nodiscard]] std::optional<std::string_view> asUtf8Text(std::string_view bytes);

// The bytes as UTF-8 text when they are Unicode text: UTF-16 little- or big-endian by its byte-order mark (as
// PowerShell and Notepad's "Unicode" save), or UTF-8 as `asUtf8Text` takes it. A lone surrogate, or an odd last
// byte, becomes "?", which no file name holds. Nothing when the bytes are neither, and so are text of an older
// code page.
[[nodiscard]] std::optional<std::string> unicodeTextAsUtf8(std::string_view bytes);

} // namespace quellary
