// The Start command: every listed task handed to the kill tool in list order, each verdict marked in
// the list, then the pruning pass and the done state.
#pragma once

#include "platform/handles.h"
#include "termination/kill_command.h"

#include <string>
#include <vector>

namespace quellary {

class frmMain;

// Where the kill tool writes: "C:\killed.lst" where it can be created, else the same name in the
// user's temporary folder. The candidates are tried in order.
std::string chooseResultFile(const std::vector<std::string>& candidates);
std::vector<std::string> resultFileCandidates();

inline constexpr std::string_view mainWindowClosed = "the main window was closed during the run";
inline constexpr std::string_view sessionEnded = "the Windows session ended during the run";

// How long a run waits for another one on the machine to finish before it gives up.
inline constexpr unsigned otherRunBoundMs = 3 * 60 * 1000;

// How long one kill may take before the run stops waiting for it.
inline constexpr unsigned killToolTimeoutMs = 30000;

class TerminationRun {
public:
    explicit TerminationRun(frmMain& main) : main_(main) {}

    // Runs to the done state, or ends the program (unattended run, start failure, error report).
    void run();

    // A run cut short (its window closed, the session ending) is never a success: the current kill command is
    // ended and the program ends with exitNotCarriedOut.
    [[noreturn]] void interrupt(std::string_view why);

    // Both ends of a started kill command; closing the job ends whatever of it still runs. Without a job
    // (none could be made, or the process could not join it) only the process itself can be ended.
    struct KillCommand {
        UniqueHandle job;
        ProcessHandles process;
    };

private:
    KillCommand startKillCommand(const std::string& task, const std::string& commandLine) const;
    void waitForOtherRuns();
    void handleTask(int index);
    // A task the run could not confirm as terminated, and why.
    void mayStillRun(const std::string& task, const std::string& reason);
    void fail(long number, std::string_view description);

    frmMain& main_;
    int stepMark_ = 0;
    std::string interpreter_;       // the full path of the program the prefix names
    std::string toolPathInCommand_; // empty where the interpreter finds the tool by its bare name
    std::string startDirectory_;    // the kill command's current directory
    std::string resultFile_;
    std::vector<Unconfirmed> unconfirmed_;
    KillCommand command_;   // the task's command while it runs
    UniqueHandle runMutex_; // held from the first task until the last verdict is read
};

} // namespace quellary
