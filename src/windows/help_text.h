// What the help window says, free of any window or file.
#pragma once

#include <string>
#include <string_view>

namespace quellary {

// The help text for a task list file in `directory`, shown exactly as given (a drive root keeps its backslash).
// Paragraphs are one line each, so that the text box wraps them at its width.
std::string helpText(std::string_view directory);

inline constexpr std::string_view helpFileErrorTitle = "QUELLARY.INI NOT FOUND?";
std::string helpFileErrorPrompt();

inline constexpr std::string_view helpErrorReportTitle = "HOUSTON, We have a problem!";
// Three lines whose labels are all 11 characters wide, so that the values line up.
std::string helpErrorReportPrompt(unsigned long number, int stepMark, std::string_view description);

} // namespace quellary
