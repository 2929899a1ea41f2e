// The chance to close before the force: a process that shows windows may hold work that it saves when it is asked
// to close, as a click on its close box asks it, and may save it through other processes of its program.
#pragma once

#include "platform/handles.h"
#include "session_plan.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace endprocx {

// A process of the task, held from the moment it was chosen: while the handle is open its id names no other
// process, so the windows found by that id are its own.
struct HeldProcess {
    DWORD pid = 0;
    quellary::UniqueHandle handle;
    bool asked = false; // one of its windows was asked to close
};

// One bound for all of a task's processes, however many rounds find them: it starts when the first window is
// asked, and processes found later share what is left of it.
class ClosingChance {
public:
    explicit ClosingChance(ULONGLONG boundMs) noexcept : boundMs_(boundMs) {}

    // Posts WM_CLOSE to every visible top-level window of the processes, as a task manager's "End task" does (in
    // other sessions through a helper there), then waits until every process asked has ended or the bound has run
    // out. Ends nothing.
    void give(std::vector<HeldProcess>& processes);

    // Other sessions' processes whose windows no helper could ask, however many rounds found them.
    [[nodiscard]] const std::vector<UnaskedWindows>& unasked() const noexcept { return unasked_; }

private:
    ULONGLONG boundMs_;
    std::optional<ULONGLONG> deadline_; // GetTickCount64
    std::vector<UnaskedWindows> unasked_;
};

// Waits for all of the processes at once, MAXIMUM_WAIT_OBJECTS at a time, until the deadline (GetTickCount64).
void awaitAll(const std::vector<HANDLE>& processes, ULONGLONG deadline);

[[nodiscard]] inline bool hasEnded(HANDLE process) noexcept {
    return ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

// As a FILETIME value; nothing where the handle may not ask.
[[nodiscard]] inline std::optional<std::uint64_t> creationTime(HANDLE process) noexcept {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return std::nullopt;
    }
    return (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
}

} // namespace endprocx
