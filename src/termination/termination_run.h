// The Start command: every listed task handed to the kill tool in list order, one run on the machine at a time,
// each verdict marked in the list. The run gets what it needs as values, works on the list through TaskSheet and
// returns how it ended; the main window shows the boxes, prunes the list and shows the done state.
#pragma once

#include "platform/handles.h"
#include "program/run_record.h"
#include "termination/prune.h"
#include "termination/run_failure.h"
#include "termination/run_outcome.h"
#include "termination/task_killer.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quellary {

inline constexpr std::string_view mainWindowClosed = "the main window was closed during the run";
inline constexpr std::string_view sessionEnded = "the Windows session ended during the run";

struct RunSettings {
    std::string osFamily; // "95", "NT" or empty: which command interpreter runs the kill tool
    KillToolPlace tool;
    std::vector<std::string> resultFileCandidates;
    bool unattended = false;
    std::string clientFolder;    // where the client's programs lie; empty where the client has no registry entry
    bool promptDisabled = false; // the command prompt is refused by policy: the tool is always started directly
    unsigned otherRunBoundMs = 3 * 60 * 1000; // how long the run waits for another one on the machine
    unsigned killToolTimeoutMs = 30000;       // how long one kill may take before the run stops waiting for it
};

// The run's view of the task list: the check-box list in the program, a list of its own in a test.
class TaskSheet {
public:
    virtual ~TaskSheet() = default;
    [[nodiscard]] virtual int count() const = 0;
    [[nodiscard]] virtual std::string text(int index) const = 0;
    [[nodiscard]] virtual bool isTicked(int index) const = 0;
    virtual void setTicked(int index, bool ticked) = 0;
    virtual void append(const std::string& text) = 0; // ticked
    virtual void remove(int index) = 0;
    // The current item, -1 for none; see prune() for the rules it keeps.
    [[nodiscard]] virtual int current() const = 0;
    virtual void setCurrent(int index) = 0;
};

// The list's texts, as the looks take them.
[[nodiscard]] std::vector<std::string> textsOf(const TaskSheet& list);

class TerminationRun final : private RunControl {
public:
    // `record` names the program, the task list and the mode; the run stamps its time and adds the rest.
    TerminationRun(RunSettings settings, RunRecord record);

    // Hands every ticked task of the list to the kill tool, unticking all but those it terminated. Returns with
    // exitDone, exitTasksMayRun or exitUnlistedRun when every task was handled, else with exitNotCarriedOut.
    const RunOutcome& run(TaskSheet& list);

    // After a run that found programs of the client that the list lacks: hands each to the kill tool by its full
    // path as a listed task, appended to the list by its file name.
    const RunOutcome& endUnlisted(TaskSheet& list);

    // The tasks of a finished run that may still be running, and why.
    [[nodiscard]] std::vector<Unconfirmed> unconfirmed() const { return unconfirmedTasks(outcome_.record.tasks); }
    // The entries that no program can have, which the run never handed over, and why.
    [[nodiscard]] std::vector<UnusableEntry> unusable() const { return unusableEntries(outcome_.record.tasks); }

    // The pruning pass after the run; nothing when a list operation failed, and the outcome is then the error
    // report's.
    std::optional<PruneOutcome> prune(TaskSheet& list);

    // Cuts the run short (its window closed, the session ending), which is never a success: the current kill
    // command is ended, and a run under way returns at its next look with exitNotCarriedOut and `why`.
    void stop(std::string_view why);

    [[nodiscard]] const RunOutcome& outcome() const { return outcome_; }

private:
    // Runs a phase of the run; whatever ends it early leaves the outcome saying how.
    const RunOutcome& guarded(const std::function<void()>& phase);
    // Every task from `first` on, holding the machine's run: the list's texts, or what `handedOver` gives for each.
    void handleTasks(TaskSheet& list, int first, const std::vector<std::string>& handedOver);
    void handleTasksStartedAgain(TaskSheet& list, std::size_t first);
    void findUnlistedPrograms(const TaskSheet& list);
    void waitForOtherRuns();
    void letOtherRunsGo();
    // The outcome becomes the error report.
    void reportFailure(long number, std::string_view description);

    void enter(StepMark mark) override { stepMark_ = mark; }
    void checkStillWanted(bool quitSeen = false) override;
    [[noreturn]] void end(std::string_view why, std::string_view box = {}) override;

    RunSettings settings_;
    RunOutcome outcome_;
    int stepMark_ = 0;
    std::string stoppedBecause_;
    bool interpreterRefused_ = false;  // kept from one killer to the next
    std::optional<TaskKiller> killer_; // from before the first task until the last verdict is read
    UniqueHandle runMutex_;            // held as long as the killer
    bool ownsRunMutex_ = false;
};

} // namespace quellary
