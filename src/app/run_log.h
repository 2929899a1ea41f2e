// The record of this program's run, filled as the run goes and appended to the run log
// (%LOCALAPPDATA%\Quellary\quellary.log) once the run has ended, however it ended.
#pragma once

#include "app/run_record.h"

#include <string_view>

namespace quellary {

// The record being filled: the start-up names the program, the task list and the mode; the run the result
// file and each task's outcome.
RunRecord& runRecord();

// The record's time is now: when the program starts, and again when a run starts.
void stampRunRecord();

// Appends the record with its ending, and what every box that nobody could see would have said. Only the first
// call writes. A record that cannot be written is let go: it never stops or changes a run.
void finishRunRecord(std::string_view ending);

// Ends the program with `exitCode` once the record says so ("exit code 2: why").
[[noreturn]] void endRun(int exitCode, std::string_view why = {});

} // namespace quellary
