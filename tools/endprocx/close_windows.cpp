#include "close_windows.h"

#include "other_sessions.h"
#include "platform/run_identity.h"
#include "platform/system_library.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstddef>

namespace endprocx {

namespace {

// Loaded at the first need: linked, user32 would cost every start of the tool, windowless tasks' too, about 50 ms
// under Wine, and finding the desktop's windows as much again.
struct WindowFunctions {
    decltype(&::EnumWindows) enumWindows = nullptr;
    decltype(&::GetWindowThreadProcessId) windowProcess = nullptr;
    decltype(&::IsWindowVisible) isVisible = nullptr;
    decltype(&::PostMessageW) post = nullptr;
};

const WindowFunctions* windowFunctions() {
    static const WindowFunctions functions = [] {
        WindowFunctions f;
        const HMODULE user32 = quellary::systemLibrary(L"user32.dll");
        f.enumWindows = quellary::exportedFunction<decltype(f.enumWindows)>(user32, "EnumWindows");
        f.windowProcess = quellary::exportedFunction<decltype(f.windowProcess)>(user32, "GetWindowThreadProcessId");
        f.isVisible = quellary::exportedFunction<decltype(f.isVisible)>(user32, "IsWindowVisible");
        f.post = quellary::exportedFunction<decltype(f.post)>(user32, "PostMessageW");
        return f;
    }();
    const bool complete = functions.enumWindows && functions.windowProcess && functions.isVisible && functions.post;
    return complete ? &functions : nullptr;
}

// Only a process that has loaded user32 can own windows. One whose modules cannot be listed (another user's, a
// protected one) may own some.
bool mayOwnWindows(DWORD pid) noexcept {
    const quellary::UniqueHandle snapshot = [&] {
        const HANDLE h = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, pid);
        return quellary::UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
    }();
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    if (!snapshot || !::Module32FirstW(snapshot.get(), &module)) {
        return true;
    }
    do {
        if (::lstrcmpiW(module.szModule, L"user32.dll") == 0) {
            return true;
        }
    } while (::Module32NextW(snapshot.get(), &module));
    return false;
}

struct WindowSearch {
    const WindowFunctions* user = nullptr;
    std::vector<HeldProcess*> processes;
};

BOOL CALLBACK closeIfOwned(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    search.user->windowProcess(window, &pid);
    const auto owner = std::find_if(search.processes.begin(), search.processes.end(),
                                    [&](const HeldProcess* process) { return process->pid == pid; });
    // Posted, not sent: a window that never answers must not hold the tool.
    if (owner != search.processes.end() && search.user->isVisible(window) &&
        search.user->post(window, WM_CLOSE, 0, 0)) {
        (*owner)->asked = true;
    }
    return TRUE;
}

} // namespace

void ClosingChance::give(std::vector<HeldProcess>& processes) {
    WindowSearch search;
    {
        // Other users' modules are listed only with the privilege; it is off again before any helper starts.
        const quellary::DebugPrivilege privilege;
        for (HeldProcess& process : processes) {
            if (mayOwnWindows(process.pid)) {
                search.processes.push_back(&process);
            }
        }
    }
    if (search.processes.empty()) {
        return;
    }
    // The clock starts only now: the look, the image look-ups and the module walks are no time of the windows'.
    const ULONGLONG now = ::GetTickCount64();
    if (!deadline_) {
        deadline_ = now + boundMs_;
    }
    if (now >= *deadline_) {
        return;
    }
    // The helpers start first, so that their start overlaps the asking on this desktop.
    OtherSessions elsewhere(search.processes, quellary::ownIdentity(), *deadline_);
    search.user = search.processes.empty() ? nullptr : windowFunctions();
    if (search.user != nullptr) {
        search.user->enumWindows(closeIfOwned, reinterpret_cast<LPARAM>(&search));
    }
    std::vector<HANDLE> asked = elsewhere.helpers();
    for (const HeldProcess* process : search.processes) {
        if (process->asked) {
            asked.push_back(process->handle.get());
        }
    }
    awaitAll(asked, *deadline_);
    elsewhere.collect(unasked_);
}

void awaitAll(const std::vector<HANDLE>& processes, ULONGLONG deadline) {
    for (std::size_t first = 0; first < processes.size(); first += MAXIMUM_WAIT_OBJECTS) {
        const ULONGLONG now = ::GetTickCount64();
        const auto left = static_cast<DWORD>(now < deadline ? deadline - now : 0);
        const auto count = static_cast<DWORD>(std::min<std::size_t>(processes.size() - first, MAXIMUM_WAIT_OBJECTS));
        ::WaitForMultipleObjects(count, processes.data() + first, TRUE, left);
    }
}

} // namespace endprocx
