// The run log (%LOCALAPPDATA%\Quellary\quellary.log), and the program's one way out, which appends the record of
// a run that began to it.
#pragma once

#include "program/run_record.h"

#include <optional>
#include <string>
#include <string_view>

namespace quellary {

// %LOCALAPPDATA%\Quellary\quellary.log, or nothing when LOCALAPPDATA is not set.
std::optional<std::string> runLogPath();

// Appends the record with its ending, and what every box that nobody could see would have said. A record that
// cannot be written is let go: it never stops or changes a run.
void writeRunRecord(RunRecord record, std::string_view ending);

// Ends the program with `exitCode`. The record of a run that began and has not been written yet goes to the log
// first, ending "exit code N: why"; none is given when no run began or its record was written.
[[noreturn]] void exitProgram(int exitCode, const RunRecord* unwrittenRun, std::string_view why = {});

} // namespace quellary
