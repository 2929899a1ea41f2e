#include "termination/task_killer.h"

#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/program.h"
#include "platform/ui.h"
#include "program/Module1.h"
#include "termination/kill_command.h"
#include "termination/run_outcome.h"

#include <utility>

namespace quellary {

namespace {

// Emptying or reading the result file while something else holds it (a scanner, say) is retried after a
// pause, a bounded number of times.
constexpr int fileAttempts = 10;

// Ending a process is asynchronous, and until it is gone it may still hold the result file; it takes
// milliseconds, so this bound is only met by a system in trouble.
constexpr DWORD commandEndBoundMs = 5000;

// The kill tool's helper in another user's session may leave the job, as it must: a job holds one session's
// processes only, and the helper ends by itself within 2 s.
UniqueHandle newKillJob() {
    UniqueHandle job(::CreateJobObjectA(nullptr, nullptr));
    if (job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_BREAKAWAY_OK;
        ::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    return job;
}

// Ending a job that the process never joined would leave the process running.
void keepJobIfJoined(TaskKiller::Command& command) {
    BOOL inJob = FALSE;
    if (command.job && (!::IsProcessInJob(command.process.process.get(), command.job.get(), &inJob) || !inJob)) {
        command.job.reset();
    }
}

// The window stays live while the command ends unless the program is about to end. A child of the interpreter
// still dying may hold the result file a moment longer: the next emptying waits for it.
enum class WhileEnding { RunEvents, Block };
void endKillCommand(const TaskKiller::Command& command, WhileEnding whileEnding) {
    const HANDLE process = command.process.process.get();
    if (process == nullptr) {
        return;
    }
    if (command.job) {
        ::TerminateJobObject(command.job.get(), 1);
    } else {
        ::TerminateProcess(process, 1);
    }
    if (whileEnding == WhileEnding::RunEvents) {
        (void)waitWithEvents(process, commandEndBoundMs);
    } else {
        ::WaitForSingleObject(process, commandEndBoundMs);
    }
}

} // namespace

std::vector<std::string> resultFileCandidates() {
    std::vector<std::string> candidates{std::string(defaultResultFile)};
    std::vector<char> temp(MAX_PATH + 1);
    for (;;) {
        const DWORD length = ::GetTempPathA(static_cast<DWORD>(temp.size()), temp.data());
        if (length < temp.size()) {
            if (length != 0) {
                candidates.push_back(std::string(temp.data(), length) + std::string(resultFileName));
            }
            break;
        }
        temp.resize(length); // too small: the length asked for counts the terminating zero
    }
    // The program's own folder, which the run log shares, serves a user whose temporary folder is missing or
    // offline; made where it is missing, as the log makes it.
    if (const std::optional<std::string> local = environmentVariable("LOCALAPPDATA"); local && !local->empty()) {
        const std::string folder = withTrailingBackslash(*local) + "Quellary";
        ::CreateDirectoryA(folder.c_str(), nullptr);
        candidates.push_back(folder + "\\" + std::string(resultFileName));
    }
    return candidates;
}

std::optional<OwnFile> chooseResultFile(const std::vector<std::string>& candidates) {
    // Never a file that was there before, which others may own, read or have linked elsewhere: the old file goes and
    // the run makes its own, which the interpreter's redirection then writes into for every task. A hidden, system
    // or read-only file is passed over as ever: the redirection could not write such a file anew, and whoever made
    // it so meant it to stay.
    constexpr DWORD refusing = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;
    for (const std::string& path : candidates) {
        if (std::optional<OwnFile> made = OwnFile::makeAnew(path, refusing)) {
            return made;
        }
    }
    return std::nullopt;
}

KillToolPlace killToolPlace(const std::string& directory, bool inWindowsDirectory, const std::string& systemFolder) {
    const std::string path = directory + std::string(killToolName);
    return inWindowsDirectory ? KillToolPlace{path, {}, directory} : KillToolPlace{path, path, systemFolder};
}

TaskKiller::TaskKiller(KillSettings settings, OwnFile resultFile, RunControl& run)
    : settings_(std::move(settings)), resultFile_(std::move(resultFile)), run_(run),
      interpreter_(withTrailingBackslash(systemDirectory()) + std::string(interpreterFileName(settings_.osFamily))) {}

TaskKiller::~TaskKiller() {
    endCommand();
}

// The handles stay: a wait on them may still be under way below the window event that ended the run.
void TaskKiller::endCommand() {
    endKillCommand(command_, WhileEnding::Block);
}

// Through the command interpreter exactly as the command line reads, or, for a name or path the interpreter
// would take apart, the tool itself with its output sent to the result file. The interpreter is the system's
// own file: by its bare name one beside this program would be found first.
TaskKiller::Command TaskKiller::start(const std::string& task, const std::string& commandLine) {
    Command command{newKillJob(), {}, commandLine};
    StartOptions options;
    options.showWindow = SW_HIDE;
    options.directory = settings_.tool.startDirectory;
    options.job = command.job.get();
    const std::string& toolPath = settings_.tool.path;
    if (!settings_.promptDisabled && !settings_.interpreterRefused && !needsDirectStart(task) &&
        !needsDirectStart(resultFile()) && !needsDirectStart(toolPath)) {
        options.application = interpreter_;
        command.process = startProgram(commandLine, options);
        if (command.process.processId != 0 || !quellary::interpreterRefused(::GetLastError())) {
            keepJobIfJoined(command);
            return command;
        }
        // Rules that allow no command interpreter refuse it for every task: the tool is started itself from now
        // on, as where the command prompt is refused.
        settings_.interpreterRefused = true;
    }
    // The tool writes into the file the run made, reached through the run's own hold on it.
    FileError error;
    const UniqueFile output = resultFile_.open(GENERIC_WRITE, &error);
    if (!output || !::SetHandleInformation(output.get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) {
        const DWORD code = output ? ::GetLastError() : error.code;
        throw RunFailure(code, "The kill tool's result file " + resultFile() +
                                   " could not be opened for the tool: " + systemErrorText(code));
    }
    options.application = toolPath;
    options.standardOutput = output.get();
    command.started = directCommandLine(toolPath, task);
    command.process = startProgram(command.started, options);
    keepJobIfJoined(command);
    return command;
}

TaskRecord TaskKiller::kill(const std::string& task) {
    run_.enter(markTasks);
    const std::string commandLine =
        killCommandLine(settings_.osFamily, settings_.tool.pathInCommand, task, resultFile());
    emptyResultFile();
    command_ = start(task, commandLine);
    if (command_.process.processId == 0) {
        const std::string message = startFailureMessage(command_.started);
        run_.end(message, message);
    }
    const WaitOutcome waited = waitWithEvents(command_.process.process.get(), settings_.timeoutMs);
    run_.checkStillWanted(waited == WaitOutcome::Quit);
    if (waited == WaitOutcome::TimedOut) {
        endKillCommand(command_, WhileEnding::RunEvents);
        command_ = {};
        run_.checkStillWanted();
        return mayStillRun(task, "the kill tool did not finish within " + std::to_string(settings_.timeoutMs / 1000) +
                                     " seconds");
    }
    command_ = {};
    ShortPause();
    run_.checkStillWanted();
    return readVerdict(task);
}

TaskRecord TaskKiller::readVerdict(const std::string& task) {
    for (int attempt = 1;; ++attempt) {
        run_.enter(markOpenResult);
        FileError error;
        const UniqueFile file = resultFile_.open(GENERIC_READ, &error);
        const std::optional<std::string> text = file ? readToEnd(file.get(), &error) : std::nullopt;
        if (!text) {
            if (error.code == ERROR_FILE_NOT_FOUND || error.code == ERROR_PATH_NOT_FOUND) {
                return mayStillRun(task, "the kill tool left no result in " + resultFile());
            }
            if (error.code == ERROR_SHARING_VIOLATION && attempt < fileAttempts) {
                ShortPause();
                run_.checkStillWanted();
                continue;
            }
            throw RunFailure(error.code, error.description);
        }
        run_.enter(markReadResult);
        const std::optional<std::string> line = verdictLine(*text);
        doEvents();
        run_.checkStillWanted();
        TaskRecord handled = mayStillRun(task, line ? *line : "the kill tool ended without a verdict");
        if (line && judge(*line) != Verdict::Unrecognised) {
            handled = judge(*line) == Verdict::Killed ? TaskRecord{task, TaskOutcome::Terminated, closingOf(*text)}
                                                      : TaskRecord{task, TaskOutcome::NotRunning, {}};
        }
        doEvents();
        run_.checkStillWanted();
        return handled;
    }
}

// Emptied through the run's own hold on the file: a file that came to stand at its name meanwhile is never touched.
void TaskKiller::emptyResultFile() {
    for (int attempt = 1;; ++attempt) {
        FileError error;
        if (const UniqueFile file = resultFile_.open(GENERIC_WRITE, &error)) {
            if (::SetEndOfFile(file.get())) {
                return;
            }
            const DWORD code = ::GetLastError();
            error = {code, systemErrorText(code)};
        }
        if (error.code != ERROR_SHARING_VIOLATION || attempt >= fileAttempts) {
            throw RunFailure(error.code, error.description);
        }
        ShortPause();
        run_.checkStillWanted();
    }
}

} // namespace quellary
