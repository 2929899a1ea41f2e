// Text encodings, free of any file system.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quellary {

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
