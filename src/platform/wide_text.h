// Between the program's narrow texts and the system's UTF-16 ones.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace quellary {

[[nodiscard]] std::wstring wideText(std::string_view text, UINT codePage = CP_ACP);

// A character that the code page cannot hold becomes "?", never a look-alike (best fit would make "ā" an "a"),
// so that no name turns into another program's.
[[nodiscard]] std::string narrowText(std::wstring_view text, UINT codePage = CP_ACP);

} // namespace quellary
