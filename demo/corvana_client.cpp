// Stands in for the client whose tasks Quellary clears: registers itself where Quellary looks for it, holds
// its lock file while it runs, starts a few task programs and shows a small window. Killed, it leaves its lock
// file behind, and it refuses to start again while that file is there: the state Quellary's Restart repairs.
#include "platform/handles.h"
#include "platform/program.h"
#include "restart/restart_plan.h"

#include <windows.h>

#include <array>
#include <string>

namespace {

constexpr char windowClass[] = "CorvanaStandIn";
// Copies of the task stand-in beside this program: three under names from Quellary's default task list, and one
// that an update of the client brought and the list does not name.
constexpr std::array<const char*, 4> taskNames{"cvagent.exe", "cvmail.exe", "cvtray.exe", "cvlink.exe"};

std::string lockPath;
quellary::UniqueFile lockFile;

// Writes DataPath, Path and Name the way an installer would. False where the key is closed to this user.
bool registerClient(const std::string& dataPath, const std::string& path, const std::string& name) {
    // The key Quellary's Restart reads first, so that the demo and the whole-cycle test match what it looks for.
    const std::string registryKey(quellary::clientMainKey);
    HKEY opened = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, registryKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                          nullptr, &opened, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const quellary::UniqueKey key(opened);
    bool ok = true;
    for (const auto& [valueName, text] :
         {std::pair<const char*, const std::string&>{"DataPath", dataPath}, {"Path", path}, {"Name", name}}) {
        ok = ::RegSetValueExA(key.get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS &&
             ok;
    }
    return ok;
}

// Started detached: the tasks outlive the client, as the real ones do when it is killed.
bool startTask(const std::string& directory, const char* name) {
    const std::string program = directory + name;
    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(),
                          &startup, &info)) {
        return false;
    }
    // Only the handles are closed here; the task runs on.
    const quellary::ProcessHandles started{quellary::UniqueHandle(info.hProcess), quellary::UniqueHandle(info.hThread),
                                           info.dwProcessId};
    return true;
}

// Beside the program where the user may write there; installed read-only (a standard user's Program Files),
// in the user's local application data, as installed clients keep their data.
std::string dataDirectory(const std::string& programDirectory) {
    std::string beside = programDirectory + "Data\\";
    if (::CreateDirectoryA(beside.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS) {
        return beside;
    }
    std::string path = quellary::environmentVariable("LOCALAPPDATA").value_or(programDirectory);
    for (const char* folder : {"\\Halvane", "\\Corvana", "\\Data"}) {
        path += folder;
        ::CreateDirectoryA(path.c_str(), nullptr);
    }
    return path + "\\";
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        // A client that closes normally takes its lock file with it; only a killed one leaves it behind.
        lockFile.reset();
        ::DeleteFileA(lockPath.c_str());
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    const std::string exePath = quellary::executablePath();
    const std::size_t slash = exePath.find_last_of('\\');
    const std::string directory = exePath.substr(0, slash + 1);
    const std::string name = exePath.substr(slash + 1);
    const std::string dataPath = dataDirectory(directory);
    lockPath = dataPath + std::string(quellary::clientLockFileName);

    // Created anew only: a lock file already there means another copy runs, or one was killed.
    lockFile = quellary::UniqueFile(::CreateFileA(lockPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!lockFile) {
        const std::string text = "Corvana is already running, or it did not end properly.\r\n\r\nThe lock file " +
                                 lockPath + " is still there.";
        ::MessageBoxA(nullptr, text.c_str(), "Corvana (stand-in client)", MB_OK | MB_ICONSTOP);
        return 3;
    }
    const std::string pid = std::to_string(::GetCurrentProcessId());
    DWORD written = 0;
    ::WriteFile(lockFile.get(), pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr);
    ::FlushFileBuffers(lockFile.get());

    std::string report = "Corvana is running (process " + pid + ").\r\n\r\n";
    report += registerClient(dataPath, directory, name)
                  ? "Registered under HKLM\\" + std::string(quellary::clientMainKey) + "."
                  : std::string("Could not register under HKLM.");
    report += "\r\nLock file: " + lockPath + "\r\nTasks:";
    for (const char* task : taskNames) {
        report += std::string(" ") + task + (startTask(directory, task) ? "" : " (not started)");
    }

    WNDCLASSA windowClassInfo{};
    windowClassInfo.lpfnWndProc = windowProc;
    windowClassInfo.hInstance = instance;
    windowClassInfo.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    windowClassInfo.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClassInfo.lpszClassName = windowClass;
    ::RegisterClassA(&windowClassInfo);
    // Top left, beside Quellary, which centres itself on the screen.
    const HWND window =
        ::CreateWindowExA(0, windowClass, "Corvana (stand-in client)", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 24, 24,
                          400, 140, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    const HWND label = ::CreateWindowExA(0, "STATIC", report.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, 12, 12, 370, 90,
                                         window, nullptr, instance, nullptr);
    ::SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    ::ShowWindow(window, show);
    ::UpdateWindow(window);

    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
