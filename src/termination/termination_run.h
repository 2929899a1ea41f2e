// The Start command: every listed task handed to the kill tool in list order, each verdict marked in the list.
// The run gets what it needs as values, works on the list through TaskSheet and returns how it ended; the main
// window shows the boxes, prunes the list and shows the done state.
#pragma once

#include "program/run_record.h"
#include "platform/handles.h"
#include "platform/own_file.h"
#include "platform/process_view.h"
#include "termination/kill_command.h"
#include "termination/prune.h"
#include "termination/task_entry.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quellary {

// Where the kill tool writes: "C:\killed.lst" where it can be made anew, else the same name in the user's
// temporary folder, else in the program's own folder of the user's local application data. The candidates are
// tried in order; the first that can be made anew is made and held; nothing when none can.
std::optional<OwnFile> chooseResultFile(const std::vector<std::string>& candidates);
std::vector<std::string> resultFileCandidates();

inline constexpr std::string_view mainWindowClosed = "the main window was closed during the run";
inline constexpr std::string_view sessionEnded = "the Windows session ended during the run";

// Where the kill tool lies and how the interpreter's command names it.
struct KillToolPlace {
    std::string path;           // the tool's full path
    std::string pathInCommand;  // empty where the interpreter finds the tool by its bare name
    std::string startDirectory; // the kill command's current directory
};

// A tool in the Windows directory is found by its bare name there; one beside the program by its path, from the
// system folder, which the interpreter always accepts as its current directory.
KillToolPlace killToolPlace(const std::string& directory, bool inWindowsDirectory, const std::string& systemFolder);

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

struct RunOutcome {
    int exitCode = 0; // an ExitCode
    std::string why;  // for a run not carried out: why, as its record says it
    std::string box;  // what the user must be told before the program ends: an error report, a start failure, ...
    RunRecord record; // the result file and each task's outcome, as far as the run came
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

// Whether "none was active" is true of a finished run: a task was looked for and not one was found, spared or left
// in doubt.
[[nodiscard]] bool noneWasActive(const std::vector<TaskRecord>& tasks);

class TerminationRun {
public:
    // `record` names the program, the task list and the mode; the run stamps its time and adds the rest.
    TerminationRun(RunSettings settings, RunRecord record);

    // Hands every task of the list to the kill tool, unticking those that were not running. Returns with
    // exitDone, exitTasksMayRun or exitUnlistedRun when every task was handled, else with exitNotCarriedOut.
    const RunOutcome& run(TaskSheet& list);

    // After a run that found programs of the client that the list lacks: hands each to the kill tool by its full
    // path as a listed task, appended to the list by its file name.
    const RunOutcome& endUnlisted(TaskSheet& list);

    // What of the client runs, as a run would find it, ending nothing and starting no kill tool: exitTasksMayRun
    // where a listed task runs, else exitUnlistedRun where programs of the client that the list lacks run, else
    // exitDone; exitNotCarriedOut where it could not look.
    const RunOutcome& check(const TaskSheet& list);

    // The tasks of a finished run that may still be running, and why.
    [[nodiscard]] std::vector<Unconfirmed> unconfirmed() const;
    // The entries that no program can have, which the run never handed over, and why.
    [[nodiscard]] std::vector<UnusableEntry> unusable() const;

    // The pruning pass after the run; nothing when a list operation failed, and the outcome is then the error
    // report's.
    std::optional<PruneOutcome> prune(TaskSheet& list);

    // Cuts the run short (its window closed, the session ending), which is never a success: the current kill
    // command is ended, and a run under way returns at its next look with exitNotCarriedOut and `why`.
    void stop(std::string_view why);

    [[nodiscard]] const RunOutcome& outcome() const { return outcome_; }

    // Both ends of a started kill command; closing the job ends whatever of it still runs. Without a job
    // (none could be made, or the process could not join it) only the process itself can be ended.
    struct KillCommand {
        UniqueHandle job;
        ProcessHandles process;
        std::string started; // the command line that was started: the interpreter's, or the tool's own
    };

private:
    // Runs a phase of the run; whatever ends it early leaves the outcome saying how.
    const RunOutcome& guarded(const std::function<void()>& phase);
    // Every task from `first` on, holding the machine's run: the list's texts, or what `handedOver` gives for each.
    void handleTasks(TaskSheet& list, int first, const std::vector<std::string>& handedOver);
    void handleTasksStartedAgain(TaskSheet& list, int first);
    void findUnlistedPrograms(const TaskSheet& list);
    [[nodiscard]] static ProcessView lookAtProcesses();
    void settleExitCode();
    KillCommand startKillCommand(const std::string& task, const std::string& commandLine);
    void waitForOtherRuns();
    // One task handed to the kill tool, and what its verdict says.
    TaskRecord killTask(const std::string& task);
    void emptyResultFile();
    // Ends the run where a wait or the window's events let it be cut short.
    void checkStillWanted(bool quitSeen = false);
    // A task the run could not confirm as terminated, and why.
    static TaskRecord mayStillRun(const std::string& task, const std::string& reason);
    // Ends the run with exitNotCarriedOut: `why` for the record, and the box the user is shown, if any.
    [[noreturn]] void end(std::string_view why, std::string_view box = {});
    // The outcome becomes the error report.
    void reportFailure(long number, std::string_view description);
    void letOtherRunsGo();

    RunSettings settings_;
    RunOutcome outcome_;
    int stepMark_ = 0;
    std::string interpreter_;           // the full path of the program the prefix names
    bool interpreterRefused_ = false;   // the machine's rules refused to start it: the tool is started itself
    std::optional<OwnFile> resultFile_; // made and held from before the first task until the last verdict is read
    std::string stoppedBecause_;
    KillCommand command_;   // the task's command while it runs
    UniqueHandle runMutex_; // held from the first task until the last verdict is read
    bool ownsRunMutex_ = false;
};

} // namespace quellary
