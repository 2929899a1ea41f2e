// Text encodings, free of any file system.
#pragma once

#include <optional>
#include <string_view>

namespace quellary {

// The bytes as UTF-8 text, without a leading byte-order mark, when they are well-formed UTF-8 (no overlong
// forms, no surrogates, nothing past U+10FFFF); nothing when they are not, and so must be text of an older
// code page. Plain ASCII is UTF-8.
[[nodiscard]] std::optional<std::string_view> asUtf8Text(std::string_view bytes);

} // namespace quellary
