#include "platform/program.h"

#include "platform/paths.h"

#include <cstdio>
#include <vector>

namespace quellary {

std::string executablePath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::string executableDirectory() {
    std::string path = executablePath();
    const std::size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) {
        return path;
    }
    // A drive root keeps its backslash ("C:\"), any other directory loses it.
    path.resize(slash == 2 && path[1] == ':' ? slash + 1 : slash);
    return path;
}

std::string executableBaseName() {
    return executableName(executablePath());
}

std::string argumentText() {
    const char* p = ::GetCommandLineA();
    // The program's own name ends at the closing quote when quoted, else at the first blank or tab.
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"') {
            ++p;
        }
        if (*p == '"') {
            ++p;
        }
    } else {
        while (*p != '\0' && *p != ' ' && *p != '\t') {
            ++p;
        }
    }
    // One separator belongs to the command line, not to the argument.
    if (*p == ' ' || *p == '\t') {
        ++p;
    }
    return p;
}

std::optional<std::string> environmentVariable(const char* name) {
    std::vector<char> buffer(256);
    for (;;) {
        ::SetLastError(ERROR_SUCCESS);
        const DWORD length = ::GetEnvironmentVariableA(name, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
                return std::nullopt;
            }
            return std::string();
        }
        if (length < buffer.size()) {
            return std::string(buffer.data(), length);
        }
        buffer.resize(length);
    }
}

std::string systemDirectory() {
    std::vector<char> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD length = ::GetSystemDirectoryA(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) {
            return std::string(buffer.data(), length);
        }
        buffer.resize(length); // too small: the length asked for counts the terminating zero
    }
}

std::string localTimeIso8601(const SYSTEMTIME& utc) {
    // Local time and offset both come from one instant, so that they agree even at a change of daylight
    // saving time.
    SYSTEMTIME local = utc;
    if (!::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
        local = utc;
    }
    FILETIME utcTicks{};
    FILETIME localTicks{};
    ::SystemTimeToFileTime(&utc, &utcTicks);
    ::SystemTimeToFileTime(&local, &localTicks);
    const auto ticks = [](const FILETIME& t) {
        return static_cast<long long>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    // FILETIME counts 100 ns.
    const int offsetMinutes = static_cast<int>((ticks(localTicks) - ticks(utcTicks)) / 600'000'000);
    const int offset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", local.wYear, local.wMonth, local.wDay,
                  local.wHour, local.wMinute, local.wSecond, offsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return text;
}

bool windowStationIsVisible() {
    USEROBJECTFLAGS flags{};
    const HWINSTA station = ::GetProcessWindowStation();
    if (station == nullptr || !::GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, nullptr)) {
        return true;
    }
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

bool runsInSessionZero() {
    DWORD session = 0;
    return ::ProcessIdToSessionId(::GetCurrentProcessId(), &session) && session == 0;
}

int platformCode() {
    // GetVersionEx is deprecated but still reports the platform id, which is all that is asked of it.
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
    const BOOL reported = ::GetVersionExA(&info);
#else
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL reported = ::GetVersionExA(&info);
#pragma GCC diagnostic pop
#endif
    if (!reported) {
        return VER_PLATFORM_WIN32_NT;
    }
    return static_cast<int>(info.dwPlatformId);
}

ProcessHandles startProgram(const std::string& commandLine, const StartOptions& options) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(options.showWindow);
    const bool redirect = options.standardOutput != HANDLE{};
    if (redirect) {
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdInput = nullptr;
        startup.hStdOutput = options.standardOutput;
        startup.hStdError = options.standardOutput;
    }
    std::string mutableLine = commandLine; // CreateProcessA may write into its command line
    PROCESS_INFORMATION info{};
    ProcessHandles started;
    // A process that must belong to a job starts suspended, so that nothing it starts escapes the job.
    DWORD flags = options.job != HANDLE{} ? CREATE_SUSPENDED : 0;
    // A hidden console program needs no console window at all; making one costs a console host process.
    if (options.showWindow == SW_HIDE) {
        flags |= CREATE_NO_WINDOW;
    }
    if (!::CreateProcessA(options.application.empty() ? nullptr : options.application.c_str(), mutableLine.data(),
                          nullptr, nullptr, redirect ? TRUE : FALSE, flags, nullptr,
                          options.directory.empty() ? nullptr : options.directory.c_str(), &startup, &info)) {
        return started;
    }
    started.process.reset(info.hProcess);
    started.thread.reset(info.hThread);
    if (options.job != HANDLE{}) {
        // The job only helps to clean up after the process: one that cannot join it (a job of our own
        // that forbids nesting, say) runs without it.
        ::AssignProcessToJobObject(options.job, info.hProcess);
        if (::ResumeThread(info.hThread) == static_cast<DWORD>(-1)) {
            const DWORD error = ::GetLastError();
            ::TerminateProcess(info.hProcess, 1);
            ::SetLastError(error);
            return {};
        }
    }
    started.processId = info.dwProcessId;
    return started;
}

} // namespace quellary
