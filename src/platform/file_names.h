// File names and paths as the file system compares and forms them.
#pragma once

#include <string>
#include <string_view>

namespace quellary {

// Ordinal, with the system's own case table, so that "CVÄGENT.EXE" is "cvägent.exe" but Turkish İ is not i,
// nor ß SS.
[[nodiscard]] bool sameFileName(std::wstring_view a, std::wstring_view b);

// The long form of a path that exists ("C:\PROGRA~1\x.exe" as "C:\Program Files\x.exe"), else the path itself.
[[nodiscard]] std::wstring longPath(const std::wstring& path);

// The 8.3 form of an existing path; empty where it cannot be had.
[[nodiscard]] std::wstring shortPath(const std::wstring& path);

// The 8.3 file name of an existing file, where it has one other than its long name; else empty.
[[nodiscard]] std::wstring shortFileName(const std::wstring& path);

} // namespace quellary
