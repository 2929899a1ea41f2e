// One task at a time handed to the kill tool: through the command interpreter or by the tool's own start, its
// verdict read back from the result file that the run made and holds.
#pragma once

#include "platform/handles.h"
#include "platform/own_file.h"
#include "program/run_record.h"
#include "termination/run_failure.h"

#include <optional>
#include <string>
#include <vector>

namespace quellary {

// Where the kill tool writes: "C:\killed.lst" where it can be made anew, else the same name in the user's
// temporary folder, else in the program's own folder of the user's local application data. The candidates are
// tried in order; the first that can be made anew is made and held; nothing when none can.
std::optional<OwnFile> chooseResultFile(const std::vector<std::string>& candidates);
std::vector<std::string> resultFileCandidates();

// Where the kill tool lies and how the interpreter's command names it.
struct KillToolPlace {
    std::string path;           // the tool's full path
    std::string pathInCommand;  // empty where the interpreter finds the tool by its bare name
    std::string startDirectory; // the kill command's current directory
};

// A tool in the Windows directory is found by its bare name there; one beside the program by its path, from the
// system folder, which the interpreter always accepts as its current directory.
KillToolPlace killToolPlace(const std::string& directory, bool inWindowsDirectory, const std::string& systemFolder);

struct KillSettings {
    std::string osFamily; // "95", "NT" or empty: which command interpreter runs the kill tool
    KillToolPlace tool;
    bool promptDisabled = false;     // the command prompt is refused by policy: the tool is always started directly
    bool interpreterRefused = false; // an earlier start of the interpreter was refused by the machine's rules
    unsigned timeoutMs = 30000;      // how long one kill may take before the run stops waiting for it
};

class TaskKiller {
public:
    TaskKiller(KillSettings settings, OwnFile resultFile, RunControl& run);
    ~TaskKiller();
    TaskKiller(const TaskKiller&) = delete;
    TaskKiller& operator=(const TaskKiller&) = delete;

    // The task handed to the kill tool, and what its verdict says; the window stays live meanwhile.
    TaskRecord kill(const std::string& task);

    // Ends the command under way, if any, without letting the window's events run: the program is about to end.
    void endCommand();

    [[nodiscard]] const std::string& resultFile() const { return resultFile_.path(); }
    [[nodiscard]] bool interpreterRefused() const { return settings_.interpreterRefused; }

    // Both ends of a started kill command; closing the job ends whatever of it still runs. Without a job (none
    // could be made, or the process could not join it) only the process itself can be ended.
    struct Command {
        UniqueHandle job;
        ProcessHandles process;
        std::string started; // the command line that was started: the interpreter's, or the tool's own
    };

private:
    Command start(const std::string& task, const std::string& commandLine);
    // Whatever an earlier task left there must never be read as this task's verdict.
    void emptyResultFile();
    TaskRecord readVerdict(const std::string& task);

    KillSettings settings_;
    OwnFile resultFile_;
    RunControl& run_;
    std::string interpreter_; // the full path of the program the prefix names
    Command command_;         // the task's command while it runs
};

} // namespace quellary
