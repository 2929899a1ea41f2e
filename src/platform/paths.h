// Path text, free of any file system.
#pragma once

#include <string>
#include <string_view>

namespace quellary {

// The file name of a path without directory and extension ("C:\a\b.c.exe" gives "b.c").
[[nodiscard]] std::string executableName(std::string_view path);

// A directory with exactly one trailing backslash (a drive root keeps the one it has).
[[nodiscard]] std::string withTrailingBackslash(std::string_view directory);

} // namespace quellary
