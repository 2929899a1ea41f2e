#include "termination/run_outcome.h"

#include "program/app_info.h"

#include <algorithm>

namespace quellary {

int exitCodeFor(const RunRecord& record) {
    const bool mayRun = std::any_of(record.tasks.begin(), record.tasks.end(), [](const TaskRecord& task) {
        return task.outcome == TaskOutcome::MayStillRun || task.outcome == TaskOutcome::Unusable ||
               task.outcome == TaskOutcome::Running;
    });
    return mayRun ? exitTasksMayRun : !record.unlistedLeftRunning.empty() ? exitUnlistedRun : exitDone;
}

std::vector<Unconfirmed> unconfirmedTasks(const std::vector<TaskRecord>& tasks) {
    std::vector<Unconfirmed> unconfirmed;
    for (const TaskRecord& task : tasks) {
        if (task.outcome == TaskOutcome::MayStillRun) {
            unconfirmed.push_back({task.task, task.reason});
        }
    }
    return unconfirmed;
}

std::vector<UnusableEntry> unusableEntries(const std::vector<TaskRecord>& tasks) {
    std::vector<UnusableEntry> entries;
    for (const TaskRecord& task : tasks) {
        if (task.outcome == TaskOutcome::Unusable) {
            entries.push_back({task.task, task.reason});
        }
    }
    return entries;
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

} // namespace quellary
