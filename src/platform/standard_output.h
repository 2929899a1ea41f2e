// What a script that starts the program reads back: its standard output, where one was given.
#pragma once

#include <string_view>

namespace quellary {

// Takes the standard output as the program was given it; called first thing, before the program opens any file.
void takeStandardOutput() noexcept;

// Writes the text, as UTF-8, to a standard output that is a file or a pipe. A console, or no standard output at
// all (the program was started by a click), gets nothing; a write that fails is let go.
void writeToStandardOutput(std::string_view text) noexcept;

} // namespace quellary
