// Path text, free of any file system.
#pragma once

#include <string>
#include <string_view>

namespace quellary {

// The file name of a path without directory and extension ("C:\a\b.c.exe" gives "b.c").
[[nodiscard]] std::string executableName(std::string_view path);

} // namespace quellary
