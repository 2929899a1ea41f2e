// Stands in for one task of the client: copied under a task's file name and started, it stays alive doing
// nothing until something ends it. A GUI-subsystem program, so that no console window opens for it.
// Given "/refuse all" or "/refuse end", it guards itself with an access list as some components do: other
// processes may not open it at all, or may ask about it but not end it.
// Given "/window <file>", it shows a window and writes "shown" into the file; asked to close, it writes "saved"
// there before it ends, as a program that holds a user's work saves it. Given "/hung <file>", it shows the window,
// writes "shown", and never reads a message again.
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
        writeWork("saved");
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

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    const std::string_view given = arguments;
    for (const std::string_view option : {std::string_view("/window "), std::string_view("/hung ")}) {
        if (given.starts_with(option)) {
            workFile = given.substr(option.size());
            return showWindow(option == "/window ");
        }
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
