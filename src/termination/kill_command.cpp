#include "termination/kill_command.h"

namespace quellary {

namespace {

// Exactly "NT": any other family, or none, gets the older interpreter.
bool isNtFamily(std::string_view osFamily) {
    return osFamily == "NT";
}

// How the prefix names the interpreter, with its switches before "/c".
std::string interpreterWord(std::string_view osFamily) {
    return isNtFamily(osFamily) ? "cmd /d" : "command.com";
}

} // namespace

std::string commandPrefix(std::string_view osFamily) {
    std::string prefix = interpreterWord(osFamily);
    prefix.append(" /c ").append(killToolName).append(" ");
    return prefix;
}

std::string_view interpreterFileName(std::string_view osFamily) {
    return isNtFamily(osFamily) ? "cmd.exe" : "command.com";
}

std::string killCommandLine(std::string_view osFamily, std::string_view toolPath, std::string_view taskName,
                            std::string_view resultFile) {
    std::string line;
    if (toolPath.empty()) {
        line = commandPrefix(osFamily);
    } else {
        line = interpreterWord(osFamily);
        line.append(" /c \"\"").append(toolPath).append("\" ");
    }
    line.append(taskName).append(" > ");
    // The user's temporary folder may hold blanks, which would end the redirection's target.
    if (resultFile.find_first_of(" \t") != std::string_view::npos) {
        line.append("\"").append(resultFile).append("\"");
    } else {
        line.append(resultFile);
    }
    if (!toolPath.empty()) {
        line.append("\"");
    }
    return line;
}

std::string directCommandLine(std::string_view toolPath, std::string_view taskName) {
    std::string line = "\"";
    line.append(toolPath).append("\" ").append(taskName);
    return line;
}

bool interpreterRefused(unsigned long startError) {
    switch (startError) {
    case 5:
    case 577:  // ERROR_INVALID_IMAGE_HASH: code integrity before application control had its own codes
    case 786:  // software restriction policies where no box may be shown
    case 1260: // ERROR_ACCESS_DISABLED_BY_POLICY: AppLocker, software restriction policies
    case 4551: // ERROR_SYSTEM_INTEGRITY_POLICY_VIOLATION: application control (WDAC)
    case 4556: // ERROR_SYSTEM_INTEGRITY_REPUTATION_MALICIOUS, and the reputation refusals that follow it
    case 4557:
    case 4558:
    case 4559:
        return true;
    default:
        return false;
    }
}

bool needsDirectStart(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < ' ' || std::string_view("&|<>^()@%!\"").find(c) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

bool promptDisabledBy(std::optional<unsigned long> userPolicy, std::optional<unsigned long> machinePolicy) {
    return userPolicy.value_or(0) != 0 || machinePolicy.value_or(0) != 0;
}

Verdict judge(std::string_view line) {
    if (line.ends_with("Killed")) {
        return Verdict::Killed;
    }
    if (line.ends_with("found")) {
        return Verdict::NotFound;
    }
    return Verdict::Unrecognised;
}

std::optional<std::string> verdictLine(std::string_view fileText) {
    const std::size_t firstBreak = fileText.find_first_of("\r\n");
    if (firstBreak == std::string_view::npos) {
        return std::nullopt;
    }
    std::size_t start = firstBreak + 1;
    if (fileText[firstBreak] == '\r' && start < fileText.size() && fileText[start] == '\n') {
        ++start;
    }
    if (start >= fileText.size()) {
        return std::nullopt;
    }
    const std::size_t end = fileText.find_first_of("\r\n", start);
    return std::string(fileText.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

// The tool ends its summary with "; N closed when asked, M forced", and where windows in another session could not
// be asked, which and why. The task's name stands earlier on the line, quoted, and may hold anything: the tool's
// part is the last such part, and holds no quote.
std::string closingOf(std::string_view fileText) {
    const std::string_view summary = fileText.substr(0, fileText.find_first_of("\r\n"));
    const std::size_t part = summary.rfind("; ");
    const std::string_view closing = part == std::string_view::npos ? std::string_view{} : summary.substr(part + 2);
    if (closing.find(" closed when asked, ") == std::string_view::npos || closing.find('"') != std::string_view::npos) {
        return {};
    }
    return std::string(closing);
}

std::string unconfirmedMessage(const std::vector<Unconfirmed>& tasks) {
    if (tasks.empty()) {
        return {};
    }
    std::string text = tasks.size() == 1 ? "This task may still be running:" : "These tasks may still be running:";
    for (const Unconfirmed& t : tasks) {
        text.append("\r\n    ").append(t.task.empty() ? "(empty name)" : t.task).append(": ").append(t.reason);
    }
    return text;
}

std::string startFailureMessage(std::string_view commandLine) {
    std::string text = "Failed to activate ";
    text.append(killToolName).append("...\r\nTry running program manually with\r\n    Click Start... Run... ");
    text.append(commandLine).append("...[ENTER]\r\nReinstall Quellary if this fails to run");
    return text;
}

std::string runMutexFailureMessage(std::string_view name, std::string_view reason) {
    std::string text = "This run cannot make sure that it runs alone: the machine-wide mutex ";
    text.append(name).append(", which another run made, could not be opened (").append(reason);
    text.append("), so this run was not carried out.\r\nStart Quellary again once the other run has ended.");
    return text;
}

std::string otherRunMessage(unsigned minutes) {
    return "Another Quellary run on this computer did not finish within " + std::to_string(minutes) +
           " minutes, so this run was not carried out.\r\nStart Quellary again once the other run has ended.";
}

std::string noResultFileMessage(const std::vector<std::string>& candidates) {
    std::string text = "The kill tool's verdicts cannot be written: none of these files can be created:\r\n";
    for (const std::string& candidate : candidates) {
        text.append("    ").append(candidate).append("\r\n");
    }
    return text + "No task was handed to the kill tool.";
}

std::string unlistedProgramsQuestion(const std::vector<std::string>& programs) {
    std::string text = programs.size() == 1 ? "This program of Corvana is running, but your task list does not name it:"
                                            : "These programs of Corvana are running, but your task list does not "
                                              "name them:";
    for (const std::string& program : programs) {
        text.append("\r\n    ").append(program);
    }
    return text + (programs.size() == 1 ? "\r\nDo you want to end it too?" : "\r\nDo you want to end them too?");
}

std::string errorReportMessage(long number, int stepMark, std::string_view description) {
    std::string text = "Error       : " + std::to_string(number) + "\r\nLine Number : " + std::to_string(stepMark) +
                       "\r\nDescription : ";
    text.append(description);
    return text;
}

} // namespace quellary
