// Facts about the running program and its surroundings.
#pragma once

#include "platform/handles.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace quellary {

// The directory of the program's executable as the system reports it: no trailing backslash,
// except for a drive root ("C:\").
std::string executableDirectory();

// The full path of the program's executable.
std::string executablePath();

// The executable's file name without its extension.
std::string executableBaseName();

// The command line after the program's own name, as typed (blanks kept).
std::string argumentText();

// An environment variable, or nothing when it is unset.
std::optional<std::string> environmentVariable(const char* name);

// The system directory ("C:\Windows\system32"): no trailing backslash, empty when it cannot be told.
std::string systemDirectory();

// An instant (as GetSystemTime gives it) as local time in ISO 8601, with the offset from UTC in force at that
// moment: "2026-12-07T16:40:05+01:00". UTC with "+00:00" when the time zone cannot be applied. Wine's first
// look at the time zone in a process takes a tenth of a second, so take the instant when it happens and
// convert it when it is written.
std::string localTimeIso8601(const SYSTEMTIME& utc);

// False when the process's window station is one that nobody sees (a service's, or a scheduled task's run
// whether the user is logged on or not); true where it cannot be told.
bool windowStationIsVisible();

// True in session 0, where services and tasks run whether the user is logged on or not; false where it cannot be
// told.
bool runsInSessionZero();

// The platform id the system reports (VER_PLATFORM_WIN32s 0, _WINDOWS 1, _NT 2).
int platformCode();

struct StartOptions {
    int showWindow = SW_SHOWNORMAL;
    std::string application;    // the program file to run; empty: the command line's first word names it
    std::string directory;      // the new process's current directory; empty: ours
    HANDLE standardOutput = {}; // inherited as the child's standard output and error when set
    HANDLE job = {};            // the job the process (and so everything it starts) joins where it can
};

// Starts a command line without waiting for it. Returns the process (its id 0 when the start failed,
// with the reason in GetLastError).
ProcessHandles startProgram(const std::string& commandLine, const StartOptions& options = {});

} // namespace quellary
