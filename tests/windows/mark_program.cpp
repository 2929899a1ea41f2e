// A stand-in for a program that Quellary starts: it leaves a mark and ends. The mark is one line appended to
// the file that QUELLARY_MARK_FILE names (or to "<own path>.mark"), naming the program file and how it was
// asked to show its window, so that a test sees every start, which copy was started, and its window state.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char buffer[MAX_PATH * 2] = {};
    const DWORD ownLength = ::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    const std::string own(buffer, ownLength);
    std::string path = own + ".mark";
    const DWORD length = ::GetEnvironmentVariableA("QUELLARY_MARK_FILE", buffer, sizeof buffer);
    if (length > 0 && length < sizeof buffer) {
        path.assign(buffer, length);
    }
    STARTUPINFOA startup{};
    ::GetStartupInfoA(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : -1;
    const std::string line = own.substr(own.find_last_of('\\') + 1) + " show=" + std::to_string(show) + "\r\n";

    const HANDLE file = ::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok ? 0 : 1;
}
