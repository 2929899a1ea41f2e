#include "termination/looks.h"

#include "platform/code_page.h"
#include "platform/file_identity.h"
#include "platform/file_names.h"
#include "platform/files.h"
#include "platform/run_identity.h"
#include "platform/wide_text.h"
#include "program/Module1.h"
#include "program/app_info.h"
#include "termination/entry_match.h"
#include "termination/kill_command.h"
#include "termination/run_failure.h"
#include "termination/task_entry.h"

#include <exception>

namespace quellary {

ProcessView lookAtProcesses() {
    ProcessView view = ProcessView::take();
    if (view.error() != ERROR_SUCCESS) {
        throw RunFailure(view.error(),
                         "The list of running processes could not be read: " + systemErrorText(view.error()));
    }
    return view;
}

std::vector<EntryMatch> entryMatches(const std::vector<std::string>& entries) {
    std::vector<EntryMatch> matches;
    matches.reserve(entries.size());
    for (const std::string& entry : entries) {
        matches.push_back(entryMatch(wideText(entry)));
    }
    return matches;
}

std::vector<Match> runningAgain(const ProcessView& view, const std::vector<TaskRecord>& tasks,
                                const std::vector<EntryMatch>& entries, std::size_t first) {
    // The privilege for the look alone: the kill commands started around it must not inherit it.
    const DebugPrivilege privilege;
    std::vector<Match> seen(tasks.size(), Match::No);
    const ImageOf imageOf = view.imageOf();
    for (std::size_t i = first; i < tasks.size(); ++i) {
        if (tasks[i].outcome == TaskOutcome::Terminated || tasks[i].outcome == TaskOutcome::NotRunning) {
            seen[i] = matchOverRows(entries[i], view.rows(), imageOf).best;
        }
    }
    return seen;
}

Unlisted unlistedRunning(const ProcessView& view, const std::vector<std::string>& listed,
                         const std::string& clientFolder, const std::string& toolPath) {
    Unlisted found;
    if (clientFolder.empty()) {
        return found;
    }
    const DebugPrivilege privilege;
    const ClientFolder folder = quellary::clientFolder(wideText(clientFolder), fileKey(wideText(toolPath)));
    const std::vector<EntryMatch> files = programFilesIn(folder, view.rows());
    for (const UnlistedProgram& program : unlistedPrograms(view.rows(), view.imageOf(), view.placeOf(),
                                                           entryMatches(listed), files, folder, sameFileName)) {
        found.programs.push_back(narrowText(program.path));
        if (program.pathUnread) {
            found.unread.push_back(found.programs.back());
        }
    }
    return found;
}

RunOutcome checkClient(const std::vector<std::string>& list, const std::string& clientFolder,
                       const std::string& toolPath, RunRecord record) {
    RunOutcome outcome;
    outcome.record = std::move(record);
    stampRunRecord(outcome.record);
    try {
        const DebugPrivilege privilege;
        const ProcessView view = lookAtProcesses();
        const ImageOf imageOf = view.imageOf();
        for (const std::string& task : list) {
            const EntryClass entry = classifyEntry(utf8FromActiveCodePage(task));
            if (entry.kind == EntryKind::Unusable) {
                outcome.record.tasks.push_back({task, TaskOutcome::Unusable, entry.why});
                continue;
            }
            const Match seen = matchOverRows(entryMatch(wideText(task)), view.rows(), imageOf).best;
            outcome.record.tasks.push_back(
                {task, seen == Match::No ? TaskOutcome::NotRunning : TaskOutcome::Running,
                 seen == Match::Unconfirmed ? "a process of that name runs that Quellary may not look at" : ""});
        }
        Unlisted unlisted = unlistedRunning(view, list, clientFolder, toolPath);
        outcome.record.unlistedLeftRunning = std::move(unlisted.programs);
        outcome.record.unlistedUnread = std::move(unlisted.unread);
        outcome.exitCode = exitCodeFor(outcome.record);
    } catch (const RunFailure& failure) {
        outcome.exitCode = exitNotCarriedOut;
        outcome.why = outcome.box = errorReportMessage(static_cast<long>(failure.code), markTasks, failure.what());
    } catch (const std::exception& e) {
        outcome.exitCode = exitNotCarriedOut;
        outcome.why = outcome.box = errorReportMessage(ERROR_INTERNAL_ERROR, markTasks, e.what());
    }
    return outcome;
}

} // namespace quellary
