// The machine-wide mutex by which runs of every user and session take turns with the shared result file.
#pragma once

#include "platform/handles.h"

#include <string>
#include <string_view>

namespace quellary {

inline constexpr std::string_view runMutexName = "Global\\QuellaryRun";

struct RunMutex {
    UniqueHandle handle; // may be waited on and released; empty on failure
    std::string failure; // why there is none, as the run says it
};

// Makes the mutex so that every user's run may wait on it and release it, or opens for just that one that
// another run (another user's, SYSTEM's, an older version's) made. Never a session's own mutex instead: a run
// beside another run could read the other's verdicts.
[[nodiscard]] RunMutex openRunMutex(std::string_view name = runMutexName);

} // namespace quellary
