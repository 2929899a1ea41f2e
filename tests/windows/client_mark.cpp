// Stands in for the client in the Restart tests. Started, it writes "<own path>.started" with the command
// line it got and the directory it runs in, one per line, and ends. With the arguments "--hold <file>" it
// first opens that file without letting anyone delete it and stays alive holding it, so a test has a lock
// file in use by another process.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    const std::string args = arguments;
    HANDLE held = INVALID_HANDLE_VALUE;
    constexpr char holdSwitch[] = "--hold ";
    if (args.rfind(holdSwitch, 0) == 0) {
        const std::string file = args.substr(sizeof holdSwitch - 1);
        held = ::CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
        if (held == INVALID_HANDLE_VALUE) {
            return 1;
        }
    }

    char buffer[MAX_PATH * 2] = {};
    const DWORD own = ::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    const std::string markPath = std::string(buffer, own) + ".started";
    const DWORD cwdLength = ::GetCurrentDirectoryA(sizeof buffer, buffer);
    const std::string mark = std::string(::GetCommandLineA()) + "\r\n" + std::string(buffer, cwdLength) + "\r\n";
    // Written under another name and renamed, so that a reader never sees half a mark.
    const std::string partial = markPath + ".part";
    const HANDLE file =
        ::CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, mark.data(), static_cast<DWORD>(mark.size()), &written, nullptr);
    ::CloseHandle(file);
    if (!ok || !::MoveFileExA(partial.c_str(), markPath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return 1;
    }
    if (held != INVALID_HANDLE_VALUE) {
        ::Sleep(INFINITE);
    }
    return 0;
}
