// The chance to close before the force: a process that shows windows may hold work that it saves when it is asked
// to close, as a click on its close box asks it.
#pragma once

#include "platform/handles.h"

#include <windows.h>

#include <vector>

namespace endprocx {

struct CloseRequest {
    std::vector<DWORD> windowless; // no visible top-level window (or none that took the request): not asked
    std::vector<DWORD> asked;
    // The processes asked, held open until the caller is done with their ids, so that none is reused meanwhile.
    std::vector<quellary::UniqueHandle> askedProcesses;
};

// Posts WM_CLOSE to every visible top-level window of the processes, as a task manager's "End task" does, and
// returns at once.
[[nodiscard]] CloseRequest askToClose(const std::vector<DWORD>& pids);

// Waits for all of the processes at once, MAXIMUM_WAIT_OBJECTS at a time, until the deadline (GetTickCount64).
void awaitAll(const std::vector<quellary::UniqueHandle>& processes, ULONGLONG deadline);

// Waits until every process asked has ended or the deadline (GetTickCount64) has passed; returns those still
// running.
[[nodiscard]] std::vector<DWORD> awaitClosing(const CloseRequest& request, ULONGLONG deadline);

} // namespace endprocx
