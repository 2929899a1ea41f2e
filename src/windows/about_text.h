// What the About box reads and says, free of any window or registry handle.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quellary {

// Bytes a registry value may have to be read at all: a string of 1023 characters and its terminating null.
inline constexpr std::size_t keyValueBufferSize = 1024;

inline constexpr unsigned long keyTypeString = 1; // REG_SZ
inline constexpr unsigned long keyTypeNumber = 4; // REG_DWORD, little-endian

// The text of a registry value from the bytes its read reported. A string loses its terminating null (one
// stored without one keeps every character); a number becomes "&h" and two upper-case hexadecimal digits per
// byte, most significant first. Nothing for any other type: it has no text here.
std::optional<std::string> keyValueText(std::string_view data, unsigned long type);

// The system information program in the directory the registry names.
inline constexpr std::string_view sysInfoFileName = "\\MSINFO32.EXE";
inline constexpr std::string_view sysInfoUnavailableText = "System Information Is Unavailable At This Time";

} // namespace quellary
