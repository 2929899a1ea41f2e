#include "app/startup_step.h"

#include "app/admin_guard.h"
#include "app/task_list.h"
#include "platform/files.h"
#include "platform/program.h"
#include "termination/kill_command.h"

namespace quellary {

namespace {

StartupRefusal refusal(const MessageText& message, bool critical = false) {
    return {message, critical, message.prompt};
}

struct KillToolPlace {
    std::optional<StartupRefusal> refusal;
    std::string directory;
    bool inWindowsDirectory = false;
};

KillToolPlace placeKillTool(Mode mode, const std::string& applicationDirectory) {
    const std::string name(killToolName);
    KillToolFacts facts;
    facts.applicationDirectory = applicationDirectory;
    for (;;) {
        // Read afresh at each pass, as the copy may have changed what is found.
        facts.windir = environmentVariable("windir");
        const std::string windowsDirectory = withTrailingBackslash(facts.windir.value_or(""));
        facts.inWindowsDirectory = !windowsDirectory.empty() && fileExists(windowsDirectory + name);
        facts.inApplicationDirectory = fileExists(applicationDirectory + name);
        // A tool that another version left there would judge this version's runs by its own rules, and a version
        // number cannot tell builds apart: only the same bytes make it ours.
        facts.windowsCopyIsOurs = facts.inWindowsDirectory && facts.inApplicationDirectory &&
                                  sameFileContents(windowsDirectory + name, applicationDirectory + name);
        const KillToolPlacement placement = quellary::placeKillTool(mode, facts);
        switch (placement.step) {
        case KillToolPlacement::Step::Refuse:
            return {refusal(placement.refusal, placement.critical), {}, false};
        case KillToolPlacement::Step::RunFromWindowsDirectory:
            return {std::nullopt, placement.windowsDirectory, true};
        case KillToolPlacement::Step::RunFromApplicationDirectory:
            return {std::nullopt, applicationDirectory, false};
        case KillToolPlacement::Step::Copy:
            // Copied into the Windows directory, the tool would run in every later run, whoever started it.
            if (const std::optional<MessageText> refused =
                    refusalFor(GuardedPart::KillTool, applicationDirectory + name)) {
                return {refusal(*refused), {}, false};
            }
            // A standard user may not write into the Windows directory: the tool then runs where it is.
            (void)copyFileTo(applicationDirectory + name, placement.windowsDirectory + name, placement.replace);
            facts.copied = true;
            break;
        }
    }
}

std::optional<StartupRefusal> refusalOfGuard(GuardedPart part, const std::string& path) {
    if (const std::optional<MessageText> refused = refusalFor(part, path)) {
        return refusal(*refused);
    }
    return std::nullopt;
}

} // namespace

StartupOutcome startUp(Mode mode, const std::string& taskListPath,
                       const std::function<bool(const MessageText&)>& mayCreateTaskList) {
    StartupOutcome outcome;
    const auto refused = [&](std::optional<StartupRefusal> why) {
        outcome.refusal = std::move(why);
        return outcome;
    };
    const std::string applicationDirectory = executableDirectory();
    if (auto why = refusalOfGuard(GuardedPart::ProgramFolder, applicationDirectory)) {
        return refused(why);
    }
    KillToolPlace tool = placeKillTool(mode, withTrailingBackslash(applicationDirectory));
    if (tool.refusal) {
        return refused(tool.refusal);
    }
    if (auto why = refusalOfGuard(GuardedPart::KillTool, tool.directory + std::string(killToolName))) {
        return refused(why);
    }
    outcome.killToolDirectory = tool.directory;
    outcome.killToolInWindowsDirectory = tool.inWindowsDirectory;

    switch (taskListStep(mode, fileExists(taskListPath))) {
    case TaskListStep::Read:
        break;
    case TaskListStep::Refuse:
        return refused(StartupRefusal{{}, false, "no task list file: " + taskListPath});
    case TaskListStep::Ask: {
        if (!mayCreateTaskList(createTaskListMessage())) {
            return refused(StartupRefusal{{}, false, "no task list file, and none was to be created"});
        }
        FileError error;
        if (!writeNewFile(taskListPath, defaultTaskListText(), &error)) {
            return refused(refusal(taskListNotCreatedMessage(taskListPath, error.description)));
        }
        break;
    }
    }
    if (auto why = refusalOfGuard(GuardedPart::TaskList, taskListPath)) {
        return refused(why);
    }
    FileError error;
    const std::optional<std::string> text = readTextFile(taskListPath, &error);
    if (!text) {
        return refused(refusal(taskListUnreadableMessage(taskListPath, error.description)));
    }
    if (text->find('\0') != std::string::npos) {
        return refused(refusal(taskListNotTextMessage(taskListPath)));
    }
    TaskList tasks = readTaskList(*text);
    if (const std::optional<MessageText> problem =
            taskListProblem(taskListPath, tasks.itemCount, tasks.entries.size())) {
        return refused(refusal(*problem));
    }
    outcome.entries = std::move(tasks.entries);

    const int code = platformCode();
    if (code == unidentifiedPlatformCode) {
        return refused(refusal(unidentifiedOsMessage()));
    }
    outcome.osFamily = osFamilyFor(code);
    return outcome;
}

} // namespace quellary
