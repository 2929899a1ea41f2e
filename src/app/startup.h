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

// Whether message boxes may be shown: an unattended run in a window station nobody sees (a scheduled task
// run whether the user is logged on or not, a service) shows none, since nobody could ever answer one; nor does any
// run in session 0, whose desktop nobody can see (since Windows 10 1803), whatever its window station reports.
bool boxesCanBeSeen(bool unattended, bool windowStationVisible, bool inSessionZero);

// "95" or "NT" for the platform codes 1 and 2, empty for any other code; 0 is refused before this.
std::string osFamilyFor(int platformCode);
inline constexpr int unidentifiedPlatformCode = 0;

struct MessageText {
    std::string prompt;
    std::string title; // empty: the application title
};

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
