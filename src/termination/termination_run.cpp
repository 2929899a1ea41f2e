#include "termination/termination_run.h"

#include "platform/code_page.h"
#include "platform/ui.h"
#include "program/Module1.h"
#include "program/app_info.h"
#include "termination/looks.h"
#include "termination/run_mutex.h"
#include "termination/task_entry.h"

#include <stdexcept>
#include <utility>

namespace quellary {

namespace {

// Unwinds to guarded() once the outcome says how the run ended.
struct RunEnded {};

} // namespace

std::vector<std::string> textsOf(const TaskSheet& list) {
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(list.count()));
    for (int i = 0; i < list.count(); ++i) {
        texts.push_back(list.text(i));
    }
    return texts;
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
        outcome_.exitCode = exitCodeFor(outcome_.record);
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
        outcome_.exitCode = exitCodeFor(outcome_.record);
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
    // Choosing the result file makes it anew: never while another run reads its verdicts from it.
    waitForOtherRuns();
    std::optional<OwnFile> resultFile = chooseResultFile(settings_.resultFileCandidates);
    if (!resultFile) {
        const std::string why = noResultFileMessage(settings_.resultFileCandidates);
        end(why, why);
    }
    outcome_.record.resultFile = resultFile->path();
    killer_.emplace(KillSettings{settings_.osFamily, settings_.tool, settings_.promptDisabled, interpreterRefused_,
                                 settings_.killToolTimeoutMs},
                    std::move(*resultFile), static_cast<RunControl&>(*this));

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
                                            : killer_->kill(task));
        // The done list names only what was found and terminated; the boxes name what may still run.
        if (outcome_.record.tasks.back().outcome != TaskOutcome::Terminated) {
            list.setTicked(i, false);
        }
    }
    handleTasksStartedAgain(list, static_cast<std::size_t>(first));
    letOtherRunsGo();
}

// A watchdog later in the list may have started an ended task again before its own turn came: each task that
// runs once more is handed to the tool once more, and what then still runs may still be running, never done. A
// process of the task's name that the run may not look at counts as running.
void TerminationRun::handleTasksStartedAgain(TaskSheet& list, std::size_t first) {
    std::vector<TaskRecord>& tasks = outcome_.record.tasks;
    std::vector<std::string> names;
    names.reserve(tasks.size());
    for (const TaskRecord& task : tasks) {
        names.push_back(task.task);
    }
    const std::vector<EntryMatch> entries = entryMatches(names);
    const std::vector<Match> running = runningAgain(lookAtProcesses(), tasks, entries, first);
    for (std::size_t i = first; i < tasks.size(); ++i) {
        if (running[i] != Match::No) {
            const TaskRecord again = killer_->kill(tasks[i].task);
            if (again.outcome == TaskOutcome::Terminated) {
                tasks[i] = again;
                list.setTicked(static_cast<int>(i), true);
            }
        }
    }
    const std::vector<Match> stillRunning = runningAgain(lookAtProcesses(), tasks, entries, first);
    for (std::size_t i = first; i < tasks.size(); ++i) {
        if (stillRunning[i] != Match::No) {
            tasks[i] = mayStillRun(tasks[i].task, stillRunning[i] == Match::Yes
                                                      ? "it was started again after it was ended"
                                                      : "a process of that name runs that Quellary may not look at "
                                                        "(access denied)");
            list.setTicked(static_cast<int>(i), false);
        }
    }
}

void TerminationRun::findUnlistedPrograms(const TaskSheet& list) {
    Unlisted unlisted;
    if (!settings_.clientFolder.empty()) {
        unlisted = unlistedRunning(lookAtProcesses(), textsOf(list), settings_.clientFolder, settings_.tool.path);
    }
    outcome_.record.unlistedLeftRunning = std::move(unlisted.programs);
    outcome_.record.unlistedUnread = std::move(unlisted.unread);
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

// An owned mutex closed without being released would keep other runs waiting until this thread ends. The result
// file is let go with it: the next run makes its own.
void TerminationRun::letOtherRunsGo() {
    if (killer_) {
        interpreterRefused_ = killer_->interpreterRefused();
        killer_.reset();
    }
    if (ownsRunMutex_) {
        ::ReleaseMutex(runMutex_.get());
        ownsRunMutex_ = false;
    }
    runMutex_.reset();
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
    if (killer_) {
        killer_->endCommand();
    }
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
    if (killer_) {
        killer_->endCommand();
    }
    outcome_.exitCode = exitNotCarriedOut;
    outcome_.why = outcome_.box = errorReportMessage(number, mark, description);
}

} // namespace quellary
