#include "platform/session_launch.h"

#include "platform/system_library.h"

#include <wtsapi32.h>

#include <vector>

namespace quellary {

namespace {

struct TerminalServices {
    decltype(&::WTSQueryUserToken) queryUserToken = nullptr;
    decltype(&::WTSQuerySessionInformationW) querySession = nullptr;
    decltype(&::WTSFreeMemory) freeMemory = nullptr;
};

// Loaded at the first need.
const TerminalServices& terminalServices() {
    static const TerminalServices functions = [] {
        TerminalServices f;
        const HMODULE dll = systemLibrary(L"wtsapi32.dll");
        f.queryUserToken = exportedFunction<decltype(f.queryUserToken)>(dll, "WTSQueryUserToken");
        f.querySession = exportedFunction<decltype(f.querySession)>(dll, "WTSQuerySessionInformationW");
        f.freeMemory = exportedFunction<decltype(f.freeMemory)>(dll, "WTSFreeMemory");
        return f;
    }();
    return functions;
}

class AttributeList {
public:
    explicit AttributeList(HANDLE inherited) : inherited_(inherited) {
        SIZE_T size = 0;
        ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        buffer_.resize(size);
        if (size == 0 || !::InitializeProcThreadAttributeList(get(), 1, 0, &size)) {
            return;
        }
        initialised_ = true;
        ready_ = ::UpdateProcThreadAttribute(get(), 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &inherited_,
                                             sizeof inherited_, nullptr, nullptr) != FALSE;
    }
    ~AttributeList() {
        if (initialised_) {
            ::DeleteProcThreadAttributeList(get());
        }
    }
    AttributeList(const AttributeList&) = delete;
    AttributeList& operator=(const AttributeList&) = delete;

    [[nodiscard]] bool ready() const { return ready_; }
    [[nodiscard]] LPPROC_THREAD_ATTRIBUTE_LIST get() {
        return reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
    }

private:
    HANDLE inherited_; // the list points at it until the process has started
    std::vector<unsigned char> buffer_;
    bool initialised_ = false;
    bool ready_ = false;
};

} // namespace

std::optional<int> sessionConnectState(std::uint32_t session) {
    const TerminalServices& wts = terminalServices();
    LPWSTR buffer = nullptr;
    DWORD size = 0;
    if (wts.querySession == nullptr || wts.freeMemory == nullptr ||
        !wts.querySession(WTS_CURRENT_SERVER_HANDLE, session, WTSConnectState, &buffer, &size)) {
        return std::nullopt;
    }
    std::optional<int> state;
    if (buffer != nullptr && size >= sizeof(WTS_CONNECTSTATE_CLASS)) {
        state = static_cast<int>(*reinterpret_cast<const WTS_CONNECTSTATE_CLASS*>(buffer));
    }
    wts.freeMemory(buffer);
    return state;
}

SessionProgram startInUserSession(std::uint32_t session, const std::wstring& application,
                                  const std::wstring& arguments) {
    SessionProgram started;
    const TerminalServices& wts = terminalServices();
    HANDLE token = nullptr;
    if (wts.queryUserToken == nullptr) {
        started.error = ERROR_PROC_NOT_FOUND;
        return started;
    }
    if (!wts.queryUserToken(session, &token)) {
        started.error = ::GetLastError();
        started.noUser = started.error == ERROR_NO_TOKEN;
        return started;
    }
    const UniqueHandle user(token);
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        started.error = ::GetLastError();
        return started;
    }
    UniqueHandle reader(readEnd);
    // Closed here once the program has its copy, so that the pipe ends when the program does.
    const UniqueHandle writer(writeEnd);
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    AttributeList attributes(writeEnd);
    if (!attributes.ready()) {
        started.error = ::GetLastError();
        return started;
    }
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    std::wstring desktop = L"winsta0\\default";
    startup.StartupInfo.lpDesktop = desktop.data();
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdOutput = writeEnd;
    startup.StartupInfo.hStdError = writeEnd;
    startup.lpAttributeList = attributes.get();
    std::wstring commandLine = L"\"" + application + L"\" " + arguments;
    // The caller's folder may be one the user cannot enter.
    wchar_t folder[MAX_PATH] = {};
    const UINT folderLength = ::GetSystemDirectoryW(folder, MAX_PATH);
    // The user's process gets none of the caller's environment, which a deployment agent may fill with what is not
    // the user's to read; the system folder's root is all the program needs.
    wchar_t windows[MAX_PATH] = {};
    const UINT windowsLength = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    std::wstring environment = L"SystemRoot=";
    environment.append(windows, windowsLength < MAX_PATH ? windowsLength : 0).push_back(L'\0');
    environment.push_back(L'\0');
    PROCESS_INFORMATION info{};
    const auto start = [&](DWORD flags) {
        return ::CreateProcessAsUserW(
                   token, application.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                   flags | CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT | CREATE_UNICODE_ENVIRONMENT,
                   environment.data(), folderLength > 0 && folderLength < MAX_PATH ? folder : nullptr,
                   &startup.StartupInfo, &info) != FALSE;
    };
    // A job holds processes of one session only: a caller in a job (its own, or an agent's) starts the program
    // outside it where the job allows, and else tries within it, which only a job that lets go of its children
    // silently can take.
    if (!start(CREATE_BREAKAWAY_FROM_JOB) && !start(0)) {
        started.error = ::GetLastError();
        return started;
    }
    ::CloseHandle(info.hThread);
    started.process.reset(info.hProcess);
    started.output = std::move(reader);
    return started;
}

} // namespace quellary
