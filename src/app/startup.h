// What the start-up decides and says, free of any window or file.
#pragma once

#include "platform/paths.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quellary {

std::string mainCaption();

// True for "START" in any case with blanks at either end, and for nothing else.
bool isStartArgument(std::string_view argumentText);
// The same for "CHECK": a look at what runs of the client, ending nothing.
bool isCheckArgument(std::string_view argumentText);

// Window: the ready window, for a user. Start: the unattended run. Check: a look that changes nothing and asks
// nobody. Help: the usage box alone.
enum class Mode { Window, Start, Check, Help };
Mode modeFor(std::string_view argumentText);
inline bool isUnattended(Mode mode) {
    return mode == Mode::Start || mode == Mode::Check;
}

// Whether message boxes may be shown. A check is run by scripts, which nobody answers, so it shows none; nor does
// an unattended run in a window station nobody sees (a scheduled task run whether the user is logged on or not, a
// service), nor any run in session 0, whose desktop nobody can see (since Windows 10 1803), whatever its window
// station reports.
bool boxesCanBeSeen(Mode mode, bool windowStationVisible, bool inSessionZero);

struct MessageText {
    std::string prompt;
    std::string title; // empty: the application title
};

// What the start-up knows about the kill tool at one pass of its placement.
struct KillToolFacts {
    std::optional<std::string> windir;
    std::string applicationDirectory; // with its trailing backslash
    bool inWindowsDirectory = false;
    bool inApplicationDirectory = false;
    bool windowsCopyIsOurs = false; // the same bytes as the tool beside the program; false where either is missing
    bool copied = false;            // this start-up has made its one copy already
};

struct KillToolPlacement {
    enum class Step { Refuse, RunFromWindowsDirectory, RunFromApplicationDirectory, Copy } step = Step::Refuse;
    MessageText refusal;
    bool critical = false;        // the refusal carries the critical-stop icon
    std::string windowsDirectory; // with its trailing backslash
    bool replace = false;         // the copy goes over a tool that is not ours
};

// Where the kill tool runs from, or whether it is first copied into the Windows directory. The copy there wins
// where it is ours, or where the program has none to compare it with; one copy at most, and none for a check,
// which changes nothing.
KillToolPlacement placeKillTool(Mode mode, const KillToolFacts& facts);

// A missing task list is offered to be created, except to a check, which writes nothing and asks nobody.
enum class TaskListStep { Read, Ask, Refuse };
TaskListStep taskListStep(Mode mode, bool taskListExists);

// "95" or "NT" for the platform codes 1 and 2, empty for any other code; 0 is refused before this.
std::string osFamilyFor(int platformCode);
inline constexpr int unidentifiedPlatformCode = 0;

MessageText windirMissingMessage();
MessageText killToolMissingMessage(std::string_view windowsDirectory, std::string_view applicationDirectory);
MessageText createTaskListMessage();
MessageText unidentifiedOsMessage();

// The list holds at most this many entries: positions are 16-bit signed.
inline constexpr std::size_t maxListedEntries = 32768;

// Why a task list file cannot fill the list, or nothing when it can.
std::optional<MessageText> taskListProblem(std::string_view path, std::size_t itemCount, std::size_t entryCount);
MessageText taskListUnreadableMessage(std::string_view path, std::string_view reason);
// A file with NUL characters: no text, or UTF-16 without its byte-order mark.
MessageText taskListNotTextMessage(std::string_view path);
MessageText taskListNotCreatedMessage(std::string_view path, std::string_view reason);

} // namespace quellary
