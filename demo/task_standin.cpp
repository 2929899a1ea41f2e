// Stands in for one task of the client: copied under a task's file name and started, it stays alive doing
// nothing until something ends it. A GUI-subsystem program, so that no console window opens for it.
// Given a command line, it is that program's watchdog instead, as clients have them: it starts the program and
// starts it again whenever it ends.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
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
