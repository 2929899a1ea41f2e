// Stands in for one task of the client: copied under a task's file name and started, it stays alive doing
// nothing until something ends it. A GUI-subsystem program, so that no console window opens for it.
// Given "/refuse all" or "/refuse end", it guards itself with an access list as some components do: other
// processes may not open it at all, or may ask about it but not end it.
// Given "/window <file>", it shows a window and writes "shown" into the file; asked to close, it writes "saved"
// there before it ends, as a program that holds a user's work saves it. Given "/document <file>", the work is held
// by a windowless helper process of the same program, as a multi-process client's renderers hold its documents:
// asked to close, the window has the helper save it, and writes "lost" where the helper has already gone. Given
// "/hung <file>", it shows the window, writes "shown", and never reads a message again.
// Given any other command line, it is that program's watchdog instead, as clients have them: it starts the program
// and starts it again whenever it ends.
#include <windows.h>
#include <aclapi.h>

#include <string>
#include <string_view>

namespace {

bool refuse(std::string_view what) {
    alignas(ACL) unsigned char buffer[256] = {};
    auto* acl = reinterpret_cast<ACL*>(buffer);
    ::InitializeAcl(acl, sizeof buffer, ACL_REVISION);
    if (what == "end") {
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        PSID everyone = nullptr;
        ::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
        ::AddAccessAllowedAce(acl, ACL_REVISION,
                              PROCESS_QUERY_INFORMATION | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, everyone);
        ::FreeSid(everyone);
    }
    return ::SetSecurityInfo(::GetCurrentProcess(), SE_KERNEL_OBJECT,
                             DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr, acl,
                             nullptr) == ERROR_SUCCESS;
}

std::string workFile;
// The document's helper, and the events through which the window asks it to save and hears that it has.
HANDLE helper = nullptr;
HANDLE saveAsked = nullptr;
HANDLE saveDone = nullptr;

void writeWork(std::string_view word) {
    const HANDLE file = ::CreateFileA(workFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(file, word.data(), static_cast<DWORD>(word.size()), &written, nullptr);
    ::CloseHandle(file);
}

// User32, loaded for a window only: without one the stand-in has it no more loaded than a background task has, and
// the kill tool can tell that it owns no windows.
struct WindowFunctions {
    decltype(&::RegisterClassA) registerClass = nullptr;
    decltype(&::CreateWindowExA) createWindow = nullptr;
    decltype(&::DefWindowProcA) defaultProcedure = nullptr;
    decltype(&::DestroyWindow) destroyWindow = nullptr;
    decltype(&::PostQuitMessage) postQuit = nullptr;
    decltype(&::GetMessageA) getMessage = nullptr;
    decltype(&::DispatchMessageA) dispatchMessage = nullptr;
};
WindowFunctions user;

template <class Function> void load(HMODULE user32, Function& function, const char* name) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name)));
}

LRESULT CALLBACK taskWindow(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE:
        if (helper == nullptr) {
            writeWork("saved");
        } else {
            ::SetEvent(saveAsked);
            const HANDLE either[] = {saveDone, helper};
            if (::WaitForMultipleObjects(2, either, FALSE, 5000) != WAIT_OBJECT_0) {
                writeWork("lost");
            }
        }
        user.destroyWindow(window);
        return 0;
    case WM_DESTROY:
        user.postQuit(0);
        return 0;
    default:
        return user.defaultProcedure(window, msg, wParam, lParam);
    }
}

int showWindow(bool answers) {
    const HMODULE user32 = ::LoadLibraryA("user32.dll");
    if (user32 == nullptr) {
        return 1;
    }
    load(user32, user.registerClass, "RegisterClassA");
    load(user32, user.createWindow, "CreateWindowExA");
    load(user32, user.defaultProcedure, "DefWindowProcA");
    load(user32, user.destroyWindow, "DestroyWindow");
    load(user32, user.postQuit, "PostQuitMessage");
    load(user32, user.getMessage, "GetMessageA");
    load(user32, user.dispatchMessage, "DispatchMessageA");
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = taskWindow;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "CorvanaTaskStandIn";
    user.registerClass(&windowClass);
    if (user.createWindow(0, windowClass.lpszClassName, "Corvana task", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                          CW_USEDEFAULT, 240, 120, nullptr, nullptr, windowClass.hInstance, nullptr) == nullptr) {
        return 1;
    }
    writeWork("shown");
    if (!answers) {
        for (;;) {
            ::Sleep(INFINITE);
        }
    }
    MSG message;
    while (user.getMessage(&message, nullptr, 0, 0) > 0) {
        user.dispatchMessage(&message);
    }
    return 0;
}

// Starts this program again as the helper that holds the document, handing it the two events.
bool startHelper() {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    saveAsked = ::CreateEventA(&inherited, FALSE, FALSE, nullptr);
    saveDone = ::CreateEventA(&inherited, FALSE, FALSE, nullptr);
    char own[MAX_PATH * 4] = {};
    ::GetModuleFileNameA(nullptr, own, sizeof own);
    std::string commandLine = "\"" + std::string(own) + "\" /holder " +
                              std::to_string(reinterpret_cast<ULONG_PTR>(saveAsked)) + " " +
                              std::to_string(reinterpret_cast<ULONG_PTR>(saveDone)) + " " + workFile;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (saveAsked == nullptr || saveDone == nullptr ||
        !::CreateProcessA(own, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started)) {
        return false;
    }
    ::CloseHandle(started.hThread);
    helper = started.hProcess;
    return true;
}

// The helper saves when asked and lives on until it is ended, as renderers wait for their browser.
int holdDocument(std::string_view handles) {
    const auto event = [&] {
        const std::size_t blank = handles.find(' ');
        const auto value = static_cast<ULONG_PTR>(std::stoull(std::string(handles.substr(0, blank))));
        handles.remove_prefix(blank + 1);
        return reinterpret_cast<HANDLE>(value);
    };
    const HANDLE asked = event();
    const HANDLE done = event();
    workFile = handles;
    ::WaitForSingleObject(asked, INFINITE);
    ::Sleep(300); // writing a document takes a moment, in which its helper must not be ended
    writeWork("saved");
    ::SetEvent(done);
    for (;;) {
        ::Sleep(INFINITE);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    const std::string_view given = arguments;
    for (const std::string_view option : {std::string_view("/window "), std::string_view("/hung ")}) {
        if (given.starts_with(option)) {
            workFile = given.substr(option.size());
            return showWindow(option == "/window ");
        }
    }
    if (given.starts_with("/document ")) {
        workFile = given.substr(std::string_view("/document ").size());
        return startHelper() ? showWindow(true) : 1;
    }
    if (given.starts_with("/holder ")) {
        return holdDocument(given.substr(std::string_view("/holder ").size()));
    }
    constexpr std::string_view refuseSwitch = "/refuse ";
    if (std::string_view(arguments).starts_with(refuseSwitch)) {
        if (!refuse(std::string_view(arguments).substr(refuseSwitch.size()))) {
            return 1;
        }
        *arguments = '\0';
    }
    while (*arguments != '\0') {
        std::string commandLine = arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION watched{};
        if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &watched)) {
            return 1;
        }
        ::CloseHandle(watched.hThread);
        ::WaitForSingleObject(watched.hProcess, INFINITE);
        ::CloseHandle(watched.hProcess);
    }
    for (;;) {
        ::Sleep(INFINITE);
    }
}
