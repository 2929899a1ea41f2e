// How a run or a check ended, and what its record says for the exit code and the boxes: plain data.
#pragma once

#include "program/run_record.h"
#include "termination/kill_command.h"
#include "termination/task_entry.h"

#include <string>
#include <vector>

namespace quellary {

struct RunOutcome {
    int exitCode = 0; // an ExitCode
    std::string why;  // for a run not carried out: why, as its record says it
    std::string box;  // what the user must be told before the program ends: an error report, a start failure, ...
    RunRecord record; // the result file and each task's outcome, as far as the run came
};

// A task the run could not confirm as terminated, and why.
inline TaskRecord mayStillRun(const std::string& task, const std::string& reason) {
    return {task, TaskOutcome::MayStillRun, reason};
}

// A check says what a run would have to do, so both take their code from the record alike: exitTasksMayRun where a
// task may run (or runs) or an entry is no program's name, else exitUnlistedRun where programs of the client that
// the list lacks run, else exitDone.
[[nodiscard]] int exitCodeFor(const RunRecord& record);

// The tasks that may still be running, and why.
[[nodiscard]] std::vector<Unconfirmed> unconfirmedTasks(const std::vector<TaskRecord>& tasks);
// The entries that no program can have, which were never handed over, and why.
[[nodiscard]] std::vector<UnusableEntry> unusableEntries(const std::vector<TaskRecord>& tasks);

// Whether "none was active" is true of a finished run: a task was looked for and not one was found, spared or left
// in doubt.
[[nodiscard]] bool noneWasActive(const std::vector<TaskRecord>& tasks);

} // namespace quellary
