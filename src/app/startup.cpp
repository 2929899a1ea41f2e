#include "app/startup.h"

#include "platform/text.h"
#include "program/app_info.h"
#include "termination/kill_command.h"

namespace quellary {

std::string mainCaption() {
    return "Veyra's Quellary - Version " + versionText();
}

namespace {

// The word in any case, with blanks at either end.
bool isArgument(std::string_view argumentText, std::string_view word) {
    return sameIgnoringAsciiCase(trimmedOfBlanks(argumentText), word);
}

} // namespace

bool isStartArgument(std::string_view argumentText) {
    return isArgument(argumentText, "START");
}

bool isCheckArgument(std::string_view argumentText) {
    return isArgument(argumentText, "CHECK");
}

bool boxesCanBeSeen(bool unattended, bool windowStationVisible, bool inSessionZero) {
    return !inSessionZero && (!unattended || windowStationVisible);
}

std::string osFamilyFor(int platformCode) {
    switch (platformCode) {
    case 1:
        return "95";
    case 2:
        return "NT";
    default:
        return {};
    }
}

MessageText windirMissingMessage() {
    return {"The windir environment variable is not set!?!?!", "CRITICAL ERROR:"};
}

MessageText killToolMissingMessage(std::string_view windowsDirectory, std::string_view applicationDirectory) {
    std::string prompt = "A required program, ";
    prompt.append(killToolName).append(", was not found in the ");
    prompt.append(windowsDirectory).append("\r\ndirectory or in the ").append(applicationDirectory);
    prompt.append("directory.\r\nYou need to reinstall Quellary to correct this problem.");
    return {prompt, {}};
}

MessageText createTaskListMessage() {
    return {"Do you want me to create an INI file for you?", "No Quellary.ini File in Quellary directory"};
}

MessageText unidentifiedOsMessage() {
    return {"Unidentified OS?!?!? Quellary exiting...", {}};
}

std::optional<MessageText> taskListProblem(std::string_view path, std::size_t itemCount, std::size_t entryCount) {
    std::string prompt = "The task list file\r\n";
    prompt.append(path);
    if (itemCount < 3) {
        prompt.append("\r\nlists no task. It needs the header line, at least one task name, and one more line "
                      "after the last task name that is listed.");
    } else if (entryCount > maxListedEntries) {
        prompt.append("\r\nlists " + std::to_string(entryCount) + " tasks; Quellary can list at most " +
                      std::to_string(maxListedEntries) + ".");
    } else {
        return std::nullopt;
    }
    prompt.append("\r\nCorrect the file, or delete it to have a new default list created, and start Quellary again.");
    return MessageText{prompt, {}};
}

MessageText taskListUnreadableMessage(std::string_view path, std::string_view reason) {
    std::string prompt = "The task list file\r\n";
    prompt.append(path).append("\r\ncould not be read: ").append(reason);
    return {prompt, {}};
}

MessageText taskListNotTextMessage(std::string_view path) {
    std::string prompt = "The task list file\r\n";
    prompt.append(path).append("\r\nholds NUL characters, so it is no text that Quellary can read. Save it as ANSI, "
                               "as UTF-8, or as UTF-16 with a byte-order mark (\"Unicode\"), and start Quellary "
                               "again.");
    return {prompt, {}};
}

MessageText taskListNotCreatedMessage(std::string_view path, std::string_view reason) {
    std::string prompt = "The task list file\r\n";
    prompt.append(path).append("\r\ncould not be created: ").append(reason);
    return {prompt, {}};
}

} // namespace quellary
