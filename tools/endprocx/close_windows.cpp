#include "close_windows.h"

#include <algorithm>
#include <cstddef>

namespace endprocx {

namespace {

struct WindowSearch {
    const std::vector<DWORD>* pids = nullptr;
    std::vector<DWORD> owners; // of a window that was sent WM_CLOSE
};

BOOL CALLBACK closeIfOwned(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    const std::vector<DWORD>& pids = *search.pids;
    // Posted, not sent: a window that never answers must not hold the tool.
    if (std::find(pids.begin(), pids.end(), pid) != pids.end() && ::IsWindowVisible(window) &&
        ::PostMessageW(window, WM_CLOSE, 0, 0) &&
        std::find(search.owners.begin(), search.owners.end(), pid) == search.owners.end()) {
        search.owners.push_back(pid);
    }
    return TRUE;
}

} // namespace

CloseRequest askToClose(const std::vector<DWORD>& pids) {
    WindowSearch search{&pids, {}};
    if (!pids.empty()) {
        ::EnumWindows(closeIfOwned, reinterpret_cast<LPARAM>(&search));
    }
    CloseRequest request;
    for (const DWORD pid : pids) {
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

std::vector<DWORD> awaitClosing(const CloseRequest& request, ULONGLONG deadline) {
    std::vector<HANDLE> processes;
    for (const quellary::UniqueHandle& process : request.askedProcesses) {
        processes.push_back(process.get());
    }
    for (std::size_t first = 0; first < processes.size(); first += MAXIMUM_WAIT_OBJECTS) {
        const ULONGLONG now = ::GetTickCount64();
        const auto left = static_cast<DWORD>(now < deadline ? deadline - now : 0);
        const auto count = static_cast<DWORD>(std::min<std::size_t>(processes.size() - first, MAXIMUM_WAIT_OBJECTS));
        ::WaitForMultipleObjects(count, processes.data() + first, TRUE, left);
    }
    std::vector<DWORD> running;
    for (std::size_t i = 0; i < processes.size(); ++i) {
        if (::WaitForSingleObject(processes[i], 0) != WAIT_OBJECT_0) {
            running.push_back(request.asked[i]);
        }
    }
    return running;
}

} // namespace endprocx
