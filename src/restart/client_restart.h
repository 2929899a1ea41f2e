// The Restart command: finds the client through the registry, removes its lock file and starts the client.
#pragma once

#include "platform/handles.h"
#include "restart/restart_plan.h"

#include <optional>

namespace quellary {

// The client's entry: the main key, else the versioned one, each in the native view or else the 32-bit one.
// Nothing when it could not be read at all.
[[nodiscard]] std::optional<ClientEntry> readClientEntry();

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

} // namespace quellary
