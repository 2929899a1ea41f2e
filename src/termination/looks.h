// The run's looks at what runs, each a function of one view of the processes and the list: the second look after
// the tasks were handed over, the look for programs of the client that the list lacks, and CHECK, which is nothing
// but looks.
#pragma once

#include "platform/process_view.h"
#include "program/run_record.h"
#include "termination/process_match.h"
#include "termination/run_outcome.h"

#include <string>
#include <vector>

namespace quellary {

// One look at what runs; a run that cannot look cannot say what it left running, and throws RunFailure.
[[nodiscard]] ProcessView lookAtProcesses();

// The matchers of the tasks' entries, made once for every look of a run.
[[nodiscard]] std::vector<EntryMatch> entryMatches(const std::vector<std::string>& entries);

// The second look: for each task from `first` on that was terminated or found not running, whether a process of
// it runs now; No for every other task, which the run does not look for again (left alone, in doubt already).
[[nodiscard]] std::vector<Match> runningAgain(const ProcessView& view, const std::vector<TaskRecord>& tasks,
                                              const std::vector<EntryMatch>& entries, std::size_t first);

// The programs in the client's folder, or below it, that no entry of the list names; the kill tool's file is none
// of them. Each is compared by the file it runs from, so that a folder reached through a link or another drive
// letter still holds its programs. Nothing where the client has no folder.
struct Unlisted {
    std::vector<std::string> programs;
    std::vector<std::string> unread; // those whose processes' image paths could not be read
};
[[nodiscard]] Unlisted unlistedRunning(const ProcessView& view, const std::vector<std::string>& listed,
                                       const std::string& clientFolder, const std::string& toolPath);

// What of the client runs, as a run would find it: each entry running, not running or no program's name, and the
// unlisted programs; the exit code is what a run would have to do. It takes no mutex, makes no result file and
// starts no kill tool. A failure to look ends it with the error report.
[[nodiscard]] RunOutcome checkClient(const std::vector<std::string>& list, const std::string& clientFolder,
                                     const std::string& toolPath, RunRecord record);

} // namespace quellary
