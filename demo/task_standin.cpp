// Stands in for one task of the client: copied under a task's file name and started, it stays alive doing
// nothing until something ends it. A GUI-subsystem program, so that no console window opens for it.
// Given a command line, it is that program's watchdog instead, as clients have them: it starts the program and
// starts it again whenever it ends.
// Given "/window <file>", it shows a window and writes "shown" into the file; asked to close, it writes "saved"
// there before it ends, as a program that holds a user's work saves it. Given "/hung <file>", it shows the window,
// writes "shown", and never reads a message again.
#include <windows.h>

#include <string>
#include <string_view>

namespace {

std::string workFile;

void writeWork(std::string_view word) {
    const HANDLE file = ::CreateFileA(workFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(file, word.data(), static_cast<DWORD>(word.size()), &written, nullptr);
    ::CloseHandle(file);
}

LRESULT CALLBACK taskWindow(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE:
        writeWork("saved");
        ::DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcA(window, msg, wParam, lParam);
    }
}

int showWindow(bool answers) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = taskWindow;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "CorvanaTaskStandIn";
    ::RegisterClassA(&windowClass);
    if (::CreateWindowA(windowClass.lpszClassName, "Corvana task", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
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
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::DispatchMessageA(&message);
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
