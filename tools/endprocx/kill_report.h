// The kill tool's decisions, free of Windows so that they can be tested natively: which name it was given,
// which processes it may end, and what it reports.
#pragma once

#include "session_plan.h"
#include "termination/process_match.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace endprocx {

// The task name from the tool's whole raw command line (program token included), in UTF-8. See the definition for what
// the command interpreter leaves of it. Empty when no name was given.
[[nodiscard]] std::string taskNameFromCommandLine(std::string_view commandLine);

// The system's own process names compare exactly, ASCII letters without regard to case, no wildcards. (A task's
// name compares as the file system compares names, which needs the system's case table: the tool's Windows side.)
[[nodiscard]] bool sameImageName(std::string_view a, std::string_view b) noexcept;

struct ProcessEntry {
    std::uint32_t pid = 0;
    std::uint32_t parentPid = 0;
    std::string imageName;     // UTF-8
    std::uint64_t created = 0; // creation time as a FILETIME value (100 ns units since 1601); 0 = unknown
};

// The processes that started the tool, nearest first: its parent, the parent's parent, and so on, as far as
// their creation times allow (see the definition).
[[nodiscard]] std::vector<std::uint32_t> callerChain(std::uint32_t selfPid, const std::vector<ProcessEntry>& processes);

// Processes whose end would take the system down with them, whatever rights the tool has.
[[nodiscard]] bool isSystemProcess(std::uint32_t pid, std::string_view imageName) noexcept;

// unconfirmed: a process that may be the task but may not be asked what it is: never ended, never "not found".
enum class TargetKind { kill, caller, system, unconfirmed };

struct Target {
    std::uint32_t pid = 0;
    std::uint64_t created = 0; // as ProcessEntry::created: with the id, it tells the process from a later one
    TargetKind kind = TargetKind::kill;
};

// Every process that the task's name names or may name, except the tool itself, each marked whether it may be
// ended.
[[nodiscard]] std::vector<Target> selectTargets(const std::vector<ProcessEntry>& processes,
                                                const std::function<quellary::Match(const ProcessEntry&)>& named,
                                                std::uint32_t selfPid);

// Whether a handle opened after the look holds the process the look saw. The system hands an ended process's id to
// the next one it starts, so only the creation time, read through the handle, can tell.
enum class HeldIs { seen, another, unknown };
[[nodiscard]] HeldIs heldIs(std::uint64_t seenCreated, std::optional<std::uint64_t> heldCreated) noexcept;

// The processes the tool has dealt with over its rounds, each known by its id and creation time together: a
// newcomer of the task's name may carry the id of a process that an earlier round ended.
class Handled {
public:
    // True the first time the process is offered.
    bool first(const Target& target) { return seen_.emplace(target.pid, target.created).second; }

private:
    std::set<std::pair<std::uint32_t, std::uint64_t>> seen_;
};

// What became of each process of that name; every process counts in exactly one field.
struct KillCounts {
    int ended = 0;        // terminated by the tool, or gone by itself meanwhile
    int refused = 0;      // a caller of the tool or a system process
    int denied = 0;       // the system refused access
    int stillRunning = 0; // terminated but not gone within the wait, or started again and again
    int failed = 0;       // any other error
    // Beside the fields above: of the processes that were to be ended, those that were asked to close their
    // windows first, and of the ended ones, those that ended while the task's windows had their chance, helpers
    // included (the others were forced).
    int askedToClose = 0;
    int closed = 0;
    std::vector<UnaskedWindows> unasked; // in other sessions, where no helper could ask

    [[nodiscard]] int found() const noexcept { return ended + refused + denied + stillRunning + failed; }
};

enum ExitCode : int { exitDone = 0, exitNotTerminated = 1, exitUsage = 2, exitFailure = 3 };

// Two lines for standard output. The caller judges line 2 by its last word: "Killed" when every process of that
// name has ended, "found" when none was running, neither word otherwise.
struct Report {
    std::string line1;
    std::string line2;
    int exitCode = exitDone;

    [[nodiscard]] std::string text() const { return line1 + "\r\n" + line2 + "\r\n"; }
};

[[nodiscard]] Report reportFor(std::string_view taskName, const KillCounts& counts);
[[nodiscard]] Report usageReport();
// The tool could not do its work at all (no process list, out of memory); reason in a few words.
[[nodiscard]] Report failureReport(std::string_view taskName, std::string_view reason);

} // namespace endprocx
