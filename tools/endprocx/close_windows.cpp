#include "close_windows.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstddef>

namespace endprocx {

namespace {

template <class Function> Function windowFunction(HMODULE user32, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name)));
}

// The few window functions the tool needs, from user32 loaded at the first need. Linked, user32 would be loaded
// at every start of the tool, for tasks with no windows too: under Wine that alone costs a console program about
// 50 ms, and finding the desktop's windows as much again.
struct WindowFunctions {
    decltype(&::EnumWindows) enumWindows = nullptr;
    decltype(&::GetWindowThreadProcessId) windowProcess = nullptr;
    decltype(&::IsWindowVisible) isVisible = nullptr;
    decltype(&::PostMessageW) post = nullptr;
};

const WindowFunctions* windowFunctions() {
    static const WindowFunctions functions = [] {
        WindowFunctions f;
        if (const HMODULE user32 = ::LoadLibraryW(L"user32.dll")) {
            f.enumWindows = windowFunction<decltype(f.enumWindows)>(user32, "EnumWindows");
            f.windowProcess = windowFunction<decltype(f.windowProcess)>(user32, "GetWindowThreadProcessId");
            f.isVisible = windowFunction<decltype(f.isVisible)>(user32, "IsWindowVisible");
            f.post = windowFunction<decltype(f.post)>(user32, "PostMessageW");
        }
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
    const std::vector<DWORD>* pids = nullptr;
    std::vector<DWORD> owners; // of a window that was sent WM_CLOSE
};

BOOL CALLBACK closeIfOwned(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    search.user->windowProcess(window, &pid);
    const std::vector<DWORD>& pids = *search.pids;
    // Posted, not sent: a window that never answers must not hold the tool.
    if (std::find(pids.begin(), pids.end(), pid) != pids.end() && search.user->isVisible(window) &&
        search.user->post(window, WM_CLOSE, 0, 0) &&
        std::find(search.owners.begin(), search.owners.end(), pid) == search.owners.end()) {
        search.owners.push_back(pid);
    }
    return TRUE;
}

} // namespace

CloseRequest askToClose(const std::vector<DWORD>& pids) {
    CloseRequest request;
    std::vector<DWORD> candidates;
    for (const DWORD pid : pids) {
        (mayOwnWindows(pid) ? candidates : request.windowless).push_back(pid);
    }
    WindowSearch search{candidates.empty() ? nullptr : windowFunctions(), &candidates, {}};
    if (search.user != nullptr) {
        search.user->enumWindows(closeIfOwned, reinterpret_cast<LPARAM>(&search));
    }
    for (const DWORD pid : candidates) {
        const bool owns = std::find(search.owners.begin(), search.owners.end(), pid) != search.owners.end();
        quellary::UniqueHandle process(owns ? ::OpenProcess(SYNCHRONIZE, FALSE, pid) : nullptr);
        if (!process) {
            request.windowless.push_back(pid);
            continue;
        }
        request.asked.push_back(pid);
        request.askedProcesses.push_back(std::move(process));
    }
    return request;
}

void awaitAll(const std::vector<quellary::UniqueHandle>& processes, ULONGLONG deadline) {
    std::vector<HANDLE> raw;
    raw.reserve(processes.size());
    for (const quellary::UniqueHandle& process : processes) {
        raw.push_back(process.get());
    }
    for (std::size_t first = 0; first < raw.size(); first += MAXIMUM_WAIT_OBJECTS) {
        const ULONGLONG now = ::GetTickCount64();
        const auto left = static_cast<DWORD>(now < deadline ? deadline - now : 0);
        const auto count = static_cast<DWORD>(std::min<std::size_t>(raw.size() - first, MAXIMUM_WAIT_OBJECTS));
        ::WaitForMultipleObjects(count, raw.data() + first, TRUE, left);
    }
}

std::vector<DWORD> awaitClosing(const CloseRequest& request, ULONGLONG deadline) {
    awaitAll(request.askedProcesses, deadline);
    std::vector<DWORD> running;
    for (std::size_t i = 0; i < request.askedProcesses.size(); ++i) {
        if (::WaitForSingleObject(request.askedProcesses[i].get(), 0) != WAIT_OBJECT_0) {
            running.push_back(request.asked[i]);
        }
    }
    return running;
}

} // namespace endprocx
