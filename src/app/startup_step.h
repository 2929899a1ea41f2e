// The start-up's checks, in their order: the guard, the kill tool's place, the task list and the platform. Each is
// decided by the plain rules of startup.h from what is found here; the window only shows the outcome.
#pragma once

#include "app/startup.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quellary {

struct StartupRefusal {
    MessageText message; // an empty prompt shows no box: the user declined
    bool critical = false;
    std::string why; // for the run's record
};

struct StartupOutcome {
    std::optional<StartupRefusal> refusal; // the program ends with it; nothing below is set
    std::string killToolDirectory;         // with its trailing backslash
    bool killToolInWindowsDirectory = false;
    std::vector<std::string> entries;
    std::string osFamily;
};

// `mayCreateTaskList` asks the user whether a missing task list is to be written.
StartupOutcome startUp(Mode mode, const std::string& taskListPath,
                       const std::function<bool(const MessageText&)>& mayCreateTaskList);

} // namespace quellary
