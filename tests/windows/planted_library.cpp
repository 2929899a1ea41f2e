// A library planted beside a program under a system library's name. Loaded, it leaves a mark beside itself
// ("<its path>.mark"), so that a test sees that the program took it for the system's own.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH * 2] = {};
        const DWORD length = ::GetModuleFileNameA(self, path, sizeof path);
        const std::string mark = std::string(path, length) + ".mark";
        const HANDLE file = ::CreateFileA(mark.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            (void)::WriteFile(file, "loaded\r\n", 8, &written, nullptr);
            ::CloseHandle(file);
        }
    }
    return TRUE;
}
