#include "termination/termination_run.h"

#include "platform/code_page.h"
#include "platform/run_identity.h"
#include "platform/files.h"
#include "platform/own_file.h"
#include "platform/paths.h"
#include "platform/file_identity.h"
#include "platform/file_names.h"
#include "platform/process_view.h"
#include "platform/wide_text.h"
#include "platform/program.h"
#include "platform/ui.h"
#include "program/Module1.h"
#include "program/app_info.h"
#include "termination/entry_match.h"
#include "termination/run_mutex.h"
#include "termination/task_entry.h"

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <utility>

namespace quellary {

namespace {

// A failure that ends the run with the error report.
struct RunFailure : std::runtime_error {
    RunFailure(DWORD code, const std::string& description) : std::runtime_error(description), code(code) {}
    DWORD code;
};

// Unwinds to run() once the outcome says how the run ended.
struct RunEnded {};

// Step marks: which phase of the run a failure happened in.
enum StepMark : int {
    markTasks = 0,
    markOpenResult = 100,
    markReadResult = 110,
    markPruneTop = 200,
    markPruneRemove = 210,
    markPruneBound = 220,
    markErrorHandler = 240,
};

// Emptying or reading the result file while something else holds it (a scanner, say) is retried after a
// pause, a bounded number of times.
constexpr int fileAttempts = 10;

// How long an ended kill command may take to be gone. Ending a process is asynchronous, and until it is
// gone it may still hold the result file; it takes milliseconds, so this bound is only met by a system
// in trouble.
constexpr DWORD commandEndBoundMs = 5000;

// A job that ends whatever it holds when its last handle is closed. The kill tool's helper in another user's session
// may leave it, as it must: a job holds one session's processes only, and the helper ends by itself within 2 s.
UniqueHandle newKillJob() {
    UniqueHandle job(::CreateJobObjectA(nullptr, nullptr));
    if (job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_BREAKAWAY_OK;
        ::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    return job;
}

// Ending a job that the process never joined would leave the process running: keep the job only when it
// holds the process.
void keepJobIfJoined(TerminationRun::KillCommand& command) {
    BOOL inJob = FALSE;
    if (command.job && (!::IsProcessInJob(command.process.process.get(), command.job.get(), &inJob) || !inJob)) {
        command.job.reset();
    }
}

// Ends what still runs of the command and waits, within the bound, until its process is gone, the window
// staying live unless the program is about to end. A child of the interpreter still dying may hold the result
// file a moment longer: the next emptying waits for it.
enum class WhileEnding { RunEvents, Block };
void endKillCommand(const TerminationRun::KillCommand& command, WhileEnding whileEnding) {
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

// Through the command interpreter exactly as the command line reads, or, for a name or path the interpreter
// would take apart, the tool itself with its output sent to the result file. The interpreter is the system's
// own file: by its bare name one beside this program would be found first.
TerminationRun::KillCommand TerminationRun::startKillCommand(const std::string& task, const std::string& commandLine) {
    KillCommand command{newKillJob(), {}, commandLine};
    StartOptions options;
    options.showWindow = SW_HIDE;
    options.directory = settings_.tool.startDirectory;
    options.job = command.job.get();
    const std::string& resultFile = outcome_.record.resultFile;
    const std::string& toolPath = settings_.tool.path;
    if (!settings_.promptDisabled && !interpreterRefused_ && !needsDirectStart(task) && !needsDirectStart(resultFile) &&
        !needsDirectStart(toolPath)) {
        options.application = interpreter_;
        command.process = startProgram(commandLine, options);
        if (command.process.processId != 0 || !interpreterRefused(::GetLastError())) {
            keepJobIfJoined(command);
            return command;
        }
        // A machine whose rules allow no command interpreter (AppLocker, software restriction policies) refuses
        // it for every task: the tool is started itself from now on, as where the command prompt is refused.
        interpreterRefused_ = true;
    }
    // The tool writes into the file the run made, reached through the run's own hold on it.
    FileError error;
    const UniqueFile output = resultFile_->open(GENERIC_WRITE, &error);
    if (!output || !::SetHandleInformation(output.get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) {
        const DWORD code = output ? ::GetLastError() : error.code;
        throw RunFailure(code, "The kill tool's result file " + resultFile +
                                   " could not be opened for the tool: " + systemErrorText(code));
    }
    options.application = toolPath;
    options.standardOutput = output.get();
    command.started = directCommandLine(toolPath, task);
    command.process = startProgram(command.started, options);
    keepJobIfJoined(command);
    return command;
}

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

TerminationRun::TerminationRun(RunSettings settings, RunRecord record) : settings_(std::move(settings)) {
    outcome_.record = std::move(record);
    stampRunRecord(outcome_.record);
}

const RunOutcome& TerminationRun::run(TaskSheet& list) {
    return guarded([&] {
        handleTasks(list, 0, {});
        findUnlistedPrograms(list);
        beep();
        settleExitCode();
    });
}

const RunOutcome& TerminationRun::endUnlisted(TaskSheet& list) {
    return guarded([&] {
        // Listed by their file names, which the list shows whole; handed over by their paths, which name exactly
        // the programs found.
        const int first = list.count();
        const std::vector<std::string> programs = std::exchange(outcome_.record.unlistedLeftRunning, {});
        outcome_.record.unlistedUnread.clear();
        for (const std::string& program : programs) {
            list.append(program.substr(program.find_last_of('\\') + 1));
        }
        handleTasks(list, first, programs);
        settleExitCode();
    });
}

const RunOutcome& TerminationRun::check(const TaskSheet& list) {
    return guarded([&] {
        // Only looks follow, and nothing is started: the privilege opens other users' processes for all of them.
        const DebugPrivilege privilege;
        const ProcessView view = lookAtProcesses();
        const ImageOf imageOf = view.imageOf();
        for (int i = 0; i < list.count(); ++i) {
            const std::string task = list.text(i);
            const EntryClass entry = classifyEntry(utf8FromActiveCodePage(task));
            if (entry.kind == EntryKind::Unusable) {
                outcome_.record.tasks.push_back({task, TaskOutcome::Unusable, entry.why});
                continue;
            }
            const Match seen = matchOverRows(entryMatch(wideText(task)), view.rows(), imageOf).best;
            outcome_.record.tasks.push_back(
                {task, seen == Match::No ? TaskOutcome::NotRunning : TaskOutcome::Running,
                 seen == Match::Unconfirmed ? "a process of that name runs that Quellary may not look at" : ""});
        }
        findUnlistedPrograms(list);
        settleExitCode();
    });
}

const RunOutcome& TerminationRun::guarded(const std::function<void()>& phase) {
    stoppedBecause_.clear();
    try {
        phase();
    } catch (const RunEnded&) {
    } catch (const RunFailure& failure) {
        reportFailure(static_cast<long>(failure.code), failure.what());
    } catch (const std::exception& e) {
        reportFailure(ERROR_INTERNAL_ERROR, e.what());
    }
    letOtherRunsGo();
    return outcome_;
}

void TerminationRun::handleTasks(TaskSheet& list, int first, const std::vector<std::string>& handedOver) {
    stepMark_ = markTasks;
    interpreter_ = withTrailingBackslash(systemDirectory()) + std::string(interpreterFileName(settings_.osFamily));
    // Choosing the result file makes it anew: never while another run reads its verdicts from it.
    waitForOtherRuns();
    resultFile_ = chooseResultFile(settings_.resultFileCandidates);
    if (!resultFile_) {
        const std::string why = noResultFileMessage(settings_.resultFileCandidates);
        end(why, why);
    }
    outcome_.record.resultFile = resultFile_->path();

    const int count = list.count();
    for (int i = first; i < count; ++i) {
        list.setCurrent(i);
        const std::string task = handedOver.empty() ? list.text(i) : handedOver.at(static_cast<std::size_t>(i - first));
        // A name no program can have is never handed over: the tool would call it not running. A task the user
        // unticked before its turn is spared.
        const EntryClass entry = classifyEntry(utf8FromActiveCodePage(task));
        outcome_.record.tasks.push_back(!list.isTicked(i) ? TaskRecord{task, TaskOutcome::Unticked, {}}
                                        : entry.kind == EntryKind::Unusable
                                            ? TaskRecord{task, TaskOutcome::Unusable, entry.why}
                                            : killTask(task));
        // The done list names only what was found and terminated; the boxes name what may still run.
        if (outcome_.record.tasks.back().outcome != TaskOutcome::Terminated) {
            list.setTicked(i, false);
        }
    }
    handleTasksStartedAgain(list, first);
    letOtherRunsGo();
}

// One look at what runs; a run that cannot look cannot say what it left running.
ProcessView TerminationRun::lookAtProcesses() {
    ProcessView view = ProcessView::take();
    if (view.error() != ERROR_SUCCESS) {
        throw RunFailure(view.error(),
                         "The list of running processes could not be read: " + systemErrorText(view.error()));
    }
    return view;
}

// A watchdog later in the list may have started an ended task again before its own turn came: each task that
// runs once more is handed to the tool once more, and what then still runs may still be running, never done. A
// process of the task's name that the run may not look at counts as running.
void TerminationRun::handleTasksStartedAgain(TaskSheet& list, int first) {
    std::vector<TaskRecord>& tasks = outcome_.record.tasks;
    std::vector<EntryMatch> entries;
    entries.reserve(tasks.size());
    for (const TaskRecord& task : tasks) {
        entries.push_back(entryMatch(wideText(task.task)));
    }
    // The privilege only for each look: the kill command started between the looks must not inherit it.
    const auto runningAgain = [&](const ProcessView& view, std::size_t i) {
        const DebugPrivilege privilege;
        return tasks[i].outcome == TaskOutcome::Terminated || tasks[i].outcome == TaskOutcome::NotRunning
                   ? matchOverRows(entries[i], view.rows(), view.imageOf()).best
                   : Match::No;
    };
    const ProcessView running = lookAtProcesses();
    for (auto i = static_cast<std::size_t>(first); i < tasks.size(); ++i) {
        if (runningAgain(running, i) != Match::No) {
            const TaskRecord again = killTask(tasks[i].task);
            if (again.outcome == TaskOutcome::Terminated) {
                tasks[i] = again;
                list.setTicked(static_cast<int>(i), true);
            }
        }
    }
    const ProcessView stillRunning = lookAtProcesses();
    for (auto i = static_cast<std::size_t>(first); i < tasks.size(); ++i) {
        if (const Match seen = runningAgain(stillRunning, i); seen != Match::No) {
            tasks[i] = mayStillRun(tasks[i].task, seen == Match::Yes
                                                      ? "it was started again after it was ended"
                                                      : "a process of that name runs that Quellary may not look at "
                                                        "(access denied)");
            list.setTicked(static_cast<int>(i), false);
        }
    }
}

// The programs in the client's folder, or below it, that no entry of the list names; the kill tool is none of
// them. Each is compared by the file it runs from, so that a folder reached through a link or another drive
// letter still holds its programs.
void TerminationRun::findUnlistedPrograms(const TaskSheet& list) {
    RunRecord& record = outcome_.record;
    record.unlistedLeftRunning.clear();
    record.unlistedUnread.clear();
    if (settings_.clientFolder.empty()) {
        return;
    }
    const DebugPrivilege privilege;
    const ProcessView view = lookAtProcesses();
    std::vector<EntryMatch> listed;
    listed.reserve(static_cast<std::size_t>(list.count()));
    for (int i = 0; i < list.count(); ++i) {
        listed.push_back(entryMatch(wideText(list.text(i))));
    }
    const ClientFolder folder = clientFolder(wideText(settings_.clientFolder), fileKey(wideText(settings_.tool.path)));
    const std::vector<EntryMatch> files = programFilesIn(folder, view.rows());
    for (const UnlistedProgram& program :
         unlistedPrograms(view.rows(), view.imageOf(), listed, files, folder, sameFileName)) {
        record.unlistedLeftRunning.push_back(narrowText(program.path));
        if (program.pathUnread) {
            record.unlistedUnread.push_back(record.unlistedLeftRunning.back());
        }
    }
}

// A check says what a run would have to do: an entry a run would fail on is as good as a task that may run.
void TerminationRun::settleExitCode() {
    const std::vector<TaskRecord>& tasks = outcome_.record.tasks;
    const bool mayRun = std::any_of(tasks.begin(), tasks.end(), [](const TaskRecord& task) {
        return task.outcome == TaskOutcome::MayStillRun || task.outcome == TaskOutcome::Unusable ||
               task.outcome == TaskOutcome::Running;
    });
    outcome_.exitCode = mayRun                                         ? exitTasksMayRun
                        : !outcome_.record.unlistedLeftRunning.empty() ? exitUnlistedRun
                                                                       : exitDone;
}

bool noneWasActive(const std::vector<TaskRecord>& tasks) {
    bool lookedFor = false;
    for (const TaskRecord& task : tasks) {
        if (task.outcome == TaskOutcome::NotRunning) {
            lookedFor = true;
        } else if (task.outcome != TaskOutcome::Unusable) {
            return false;
        }
    }
    return lookedFor;
}

std::vector<Unconfirmed> TerminationRun::unconfirmed() const {
    std::vector<Unconfirmed> tasks;
    for (const TaskRecord& task : outcome_.record.tasks) {
        if (task.outcome == TaskOutcome::MayStillRun) {
            tasks.push_back({task.task, task.reason});
        }
    }
    return tasks;
}

std::vector<UnusableEntry> TerminationRun::unusable() const {
    std::vector<UnusableEntry> entries;
    for (const TaskRecord& task : outcome_.record.tasks) {
        if (task.outcome == TaskOutcome::Unusable) {
            entries.push_back({task.task, task.reason});
        }
    }
    return entries;
}

std::optional<PruneOutcome> TerminationRun::prune(TaskSheet& list) {
    try {
        const auto enter = [this](PrunePhase phase) {
            stepMark_ = phase == PrunePhase::Top    ? markPruneTop
                        : phase == PrunePhase::Tick ? markPruneRemove
                                                    : markPruneBound;
        };
        return quellary::prune(list, enter);
    } catch (const std::exception& e) {
        reportFailure(ERROR_INTERNAL_ERROR, e.what());
    }
    return std::nullopt;
}

TaskRecord TerminationRun::killTask(const std::string& task) {
    stepMark_ = markTasks;
    const std::string& resultFile = outcome_.record.resultFile;
    const std::string commandLine = killCommandLine(settings_.osFamily, settings_.tool.pathInCommand, task, resultFile);

    emptyResultFile();
    command_ = startKillCommand(task, commandLine);
    if (command_.process.processId == 0) {
        const std::string message = startFailureMessage(command_.started);
        end(message, message);
    }
    const WaitOutcome waited = waitWithEvents(command_.process.process.get(), settings_.killToolTimeoutMs);
    checkStillWanted(waited == WaitOutcome::Quit);
    if (waited == WaitOutcome::TimedOut) {
        endKillCommand(command_, WhileEnding::RunEvents);
        command_ = {};
        checkStillWanted();
        return mayStillRun(task, "the kill tool did not finish within " +
                                     std::to_string(settings_.killToolTimeoutMs / 1000) + " seconds");
    }
    command_ = {};
    ShortPause();
    checkStillWanted();

    for (int attempt = 1;; ++attempt) {
        stepMark_ = markOpenResult;
        FileError error;
        const UniqueFile file = resultFile_->open(GENERIC_READ, &error);
        const std::optional<std::string> text = file ? readToEnd(file.get(), &error) : std::nullopt;
        if (!text) {
            if (error.code == ERROR_FILE_NOT_FOUND || error.code == ERROR_PATH_NOT_FOUND) {
                return mayStillRun(task, "the kill tool left no result in " + resultFile);
            }
            if (error.code == ERROR_SHARING_VIOLATION && attempt < fileAttempts) {
                ShortPause();
                checkStillWanted();
                continue;
            }
            throw RunFailure(error.code, error.description);
        }
        stepMark_ = markReadResult;
        const std::optional<std::string> line = verdictLine(*text);
        doEvents();
        checkStillWanted();
        TaskRecord handled = mayStillRun(task, line ? *line : "the kill tool ended without a verdict");
        if (line && judge(*line) != Verdict::Unrecognised) {
            handled = judge(*line) == Verdict::Killed ? TaskRecord{task, TaskOutcome::Terminated, closingOf(*text)}
                                                      : TaskRecord{task, TaskOutcome::NotRunning, {}};
        }
        doEvents();
        checkStillWanted();
        return handled;
    }
}

// Whatever an earlier task left there must never be read as this task's verdict. Emptied through the run's own
// hold on the file: a file that came to stand at its name meanwhile is never touched.
void TerminationRun::emptyResultFile() {
    for (int attempt = 1;; ++attempt) {
        FileError error;
        if (const UniqueFile file = resultFile_->open(GENERIC_WRITE, &error)) {
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
        checkStillWanted();
    }
}

void TerminationRun::waitForOtherRuns() {
    RunMutex mutex = openRunMutex();
    if (!mutex.handle) {
        end(mutex.failure, mutex.failure); // without it, the run could read another run's verdicts as its own
    }
    runMutex_ = std::move(mutex.handle);
    // A run that ended without letting go (it crashed) leaves the mutex abandoned, which counts as taken over.
    const WaitOutcome waited = waitWithEvents(runMutex_.get(), settings_.otherRunBoundMs);
    ownsRunMutex_ = waited == WaitOutcome::Signalled;
    checkStillWanted(waited == WaitOutcome::Quit);
    if (waited == WaitOutcome::TimedOut) {
        const std::string why = otherRunMessage(settings_.otherRunBoundMs / 60000);
        end(why, settings_.unattended ? std::string() : why);
    }
}

void TerminationRun::checkStillWanted(bool quitSeen) {
    if (quitSeen && stoppedBecause_.empty()) {
        stop(mainWindowClosed);
    }
    if (!stoppedBecause_.empty()) {
        end(stoppedBecause_);
    }
}

void TerminationRun::stop(std::string_view why) {
    if (stoppedBecause_.empty()) {
        stoppedBecause_ = why;
    }
    endKillCommand(command_, WhileEnding::Block);
}

TaskRecord TerminationRun::mayStillRun(const std::string& task, const std::string& reason) {
    return {task, TaskOutcome::MayStillRun, reason};
}

void TerminationRun::end(std::string_view why, std::string_view box) {
    outcome_.exitCode = exitNotCarriedOut;
    outcome_.why = why;
    outcome_.box = box;
    throw RunEnded{};
}

void TerminationRun::reportFailure(long number, std::string_view description) {
    const int mark = stepMark_;
    stepMark_ = markErrorHandler;
    endKillCommand(command_, WhileEnding::Block);
    command_ = {};
    outcome_.exitCode = exitNotCarriedOut;
    outcome_.why = outcome_.box = errorReportMessage(number, mark, description);
}

// An owned mutex closed without being released would keep other runs waiting until this thread ends. The result
// file is let go with it: the next run makes its own.
void TerminationRun::letOtherRunsGo() {
    resultFile_.reset();
    if (ownsRunMutex_) {
        ::ReleaseMutex(runMutex_.get());
        ownsRunMutex_ = false;
    }
    runMutex_.reset();
}

} // namespace quellary
