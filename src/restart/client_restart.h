// The Restart command: finds the client through the registry, removes its lock file, starts the client and
// ends the program.
#pragma once

#include "platform/handles.h"

namespace quellary {

enum class RestartOutcome {
    Started,     // the client is running
    StartFailed, // the client could not be started, or could not be found
    Abandoned,   // the client's entry could not be read at all: nothing was done
};

struct RestartAttempt {
    RestartOutcome outcome = RestartOutcome::Abandoned;
    ProcessHandles client; // set when started
};

// Everything the command does except ending the program: reads the client's entry, deletes its lock file
// and starts it. Failures after the registry was read are passed over; only the start's own is reported.
[[nodiscard]] RestartAttempt restartClient();

// The command as the Restart button runs it. Ends the program, after a message where the client could not
// be started; returns only when the command was abandoned, leaving the window as it was.
void runRestartCommand();

} // namespace quellary
