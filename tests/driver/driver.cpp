#include "driver.h"

#include <commctrl.h>
#include <winternl.h>

#include <algorithm>
#include <cstring>
#include <fstream>

namespace driver {

namespace {

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(::toupper(c)); });
    return s;
}

// The parent's environment with the launch's changes, as a block for CreateProcess.
std::string environmentBlock(const std::map<std::string, std::optional<std::string>>& changes) {
    std::map<std::string, std::pair<std::string, std::string>> vars; // upper name -> (name, value)
    char* strings = ::GetEnvironmentStringsA();
    for (const char* p = strings; *p != '\0'; p += std::strlen(p) + 1) {
        const std::string entry(p);
        const std::size_t eq = entry.find('=', 1);
        if (eq != std::string::npos) {
            vars[upper(entry.substr(0, eq))] = {entry.substr(0, eq), entry.substr(eq + 1)};
        }
    }
    ::FreeEnvironmentStringsA(strings);
    for (const auto& [name, value] : changes) {
        if (value) {
            vars[upper(name)] = {name, *value};
        } else {
            vars.erase(upper(name));
        }
    }
    std::string block;
    for (const auto& [key, entry] : vars) {
        block += entry.first + "=" + entry.second;
        block.push_back('\0');
    }
    block.push_back('\0');
    return block;
}

struct FindContext {
    DWORD pid;
    std::string className;
    bool shownOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK collect(HWND hwnd, LPARAM param) {
    auto* ctx = reinterpret_cast<FindContext*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    char cls[256] = {};
    ::GetClassNameA(hwnd, cls, sizeof cls);
    if (pid == ctx->pid && ctx->className == cls && (!ctx->shownOnly || ::IsWindowVisible(hwnd))) {
        ctx->found.push_back(hwnd);
    }
    return TRUE;
}

// Memory inside the process that owns a window, for messages whose arguments are pointers.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, std::size_t size) : size_(size) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        process_ = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        address_ = ::VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBuffer() {
        ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        ::CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    [[nodiscard]] char* address() const { return static_cast<char*>(address_); }
    void write(const void* data, std::size_t size, std::size_t offset = 0) const {
        ::WriteProcessMemory(process_, address() + offset, data, size, nullptr);
    }
    void read(void* data, std::size_t size, std::size_t offset = 0) const {
        ::ReadProcessMemory(process_, address() + offset, data, size, nullptr);
    }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    std::size_t size_;
};

} // namespace

Program::Program(const Launch& launch) {
    std::string commandLine = "\"" + launch.exePath + "\"";
    if (!launch.arguments.empty()) {
        commandLine += " " + launch.arguments;
    }
    std::string directory = launch.directory;
    if (directory.empty()) {
        directory = launch.exePath.substr(0, launch.exePath.find_last_of('\\'));
    }
    std::string env = environmentBlock(launch.environment);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string desktop = launch.desktop;
    startup.lpDesktop = desktop.empty() ? nullptr : desktop.data();
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE output = launch.standardOutput.empty()
                              ? INVALID_HANDLE_VALUE
                              : ::CreateFileA(launch.standardOutput.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output != INVALID_HANDLE_VALUE) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
    }
    if (!::CreateProcessA(launch.exePath.c_str(), commandLine.data(), nullptr, nullptr, output != INVALID_HANDLE_VALUE,
                          0, env.data(), directory.c_str(), &startup, &info_)) {
        info_ = {};
    }
    if (output != INVALID_HANDLE_VALUE) {
        ::CloseHandle(output);
    }
}

Program::~Program() {
    if (info_.hProcess != nullptr) {
        kill();
        ::CloseHandle(info_.hThread);
        ::CloseHandle(info_.hProcess);
    }
}

std::optional<double> Program::processorSeconds() const {
    // Under Wine, GetProcessTimes of another process answers with the caller's own times; the system's list
    // of processes carries each one's own, under Windows and Wine alike.
    struct ProcessEntry { // the start of SYSTEM_PROCESS_INFORMATION, with the fields winternl.h leaves unnamed
        ULONG nextEntryOffset;
        ULONG numberOfThreads;
        LARGE_INTEGER unused[3];
        LARGE_INTEGER createTime;
        LARGE_INTEGER userTime;
        LARGE_INTEGER kernelTime;
        UNICODE_STRING imageName;
        LONG basePriority;
        HANDLE uniqueProcessId;
    };
    using Query = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    constexpr ULONG systemProcessInformation = 5;
    constexpr LONG infoLengthMismatch = static_cast<LONG>(0xC0000004);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) {
        return std::nullopt;
    }
    std::vector<char> buffer(1 << 18);
    for (;;) {
        ULONG needed = 0;
        const LONG status = query(systemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == infoLengthMismatch) {
            buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 65536));
            continue;
        }
        if (status < 0) {
            return std::nullopt;
        }
        break;
    }
    for (std::size_t offset = 0;;) {
        ProcessEntry entry;
        std::memcpy(&entry, buffer.data() + offset, sizeof entry);
        if (static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(entry.uniqueProcessId)) == info_.dwProcessId) {
            return static_cast<double>(entry.userTime.QuadPart + entry.kernelTime.QuadPart) / 1e7;
        }
        if (entry.nextEntryOffset == 0) {
            return std::nullopt;
        }
        offset += entry.nextEntryOffset;
    }
}

std::optional<DWORD> Program::waitForExit(std::chrono::milliseconds timeout) {
    if (::WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

Program::Watched Program::waitForExitWatching(const std::string& className, std::chrono::milliseconds timeout) {
    Watched watched;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    // Looked at every 5 ms: a window shown for less than that could be missed.
    while (::WaitForSingleObject(info_.hProcess, 5) == WAIT_TIMEOUT) {
        watched.windowShown = watched.windowShown || !windows(className).empty();
        if (std::chrono::steady_clock::now() > deadline) {
            return watched;
        }
    }
    watched.exitCode = waitForExit(0ms);
    return watched;
}

bool Program::isRunning() const {
    return ::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

void Program::kill() {
    if (isRunning()) {
        ::TerminateProcess(info_.hProcess, 99);
        ::WaitForSingleObject(info_.hProcess, 5000);
    }
}

std::vector<HWND> Program::windows(const std::string& className, bool shownOnly) const {
    FindContext ctx{info_.dwProcessId, className, shownOnly, {}};
    ::EnumWindows(collect, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

HWND Program::waitForWindow(const std::string& className, std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    waitUntil(
        [&] {
            const std::vector<HWND> all = windows(className);
            found = all.empty() ? nullptr : all.front();
            return found != nullptr || !isRunning();
        },
        timeout);
    if (found != nullptr) {
        ::WaitForInputIdle(info_.hProcess, 5000);
    }
    return found;
}

HWND Program::waitForMessageBox(std::chrono::milliseconds timeout) {
    return waitForWindow("#32770", timeout);
}

std::string text(HWND window) {
    std::string s(static_cast<std::size_t>(::SendMessageA(window, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
    const auto n = ::SendMessageA(window, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<std::size_t>(n));
    return s;
}

std::string controlText(HWND parent, int id) {
    return text(::GetDlgItem(parent, id));
}

std::string messageBoxPrompt(HWND box) {
    return controlText(box, 0xFFFF);
}

std::vector<int> messageBoxButtons(HWND box) {
    std::vector<int> ids;
    for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
        const HWND button = ::GetDlgItem(box, id);
        if (button != nullptr && ::IsWindowVisible(button)) {
            ids.push_back(id);
        }
    }
    return ids;
}

MessageBoxContent readMessageBox(HWND box) {
    // The static control that shows the icon: 0x14 on Windows, 0x440 under Wine. Wine keeps it without an icon.
    bool icon = false;
    for (int id : {0x14, 0x440}) {
        const HWND control = ::GetDlgItem(box, id);
        icon = icon || (control != nullptr && ::IsWindowVisible(control) && ::SendMessageA(control, STM_GETICON, 0, 0));
    }
    return {messageBoxPrompt(box), text(box), messageBoxButtons(box), icon};
}

void answer(HWND box, int buttonId) {
    ::PostMessageA(::GetDlgItem(box, buttonId), BM_CLICK, 0, 0);
    waitUntil([&] { return !::IsWindow(box) || !::IsWindowVisible(box); }, 10s);
}

bool press(HWND parent, int id) {
    const HWND button = ::GetDlgItem(parent, id);
    if (button == nullptr || !::IsWindowVisible(button) || !::IsWindowEnabled(button)) {
        return false;
    }
    ::PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

HWND focusedControl(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

void pressKey(HWND control, WPARAM key) {
    ::PostMessageA(control, WM_KEYDOWN, key, 1);
    ::PostMessageA(control, WM_KEYUP, key, 0xC0000001);
}

bool isVisible(HWND parent, int id) {
    return ::IsWindowVisible(::GetDlgItem(parent, id)) != 0;
}

bool isEnabled(HWND parent, int id) {
    return ::IsWindowEnabled(::GetDlgItem(parent, id)) != 0;
}

std::vector<ListItem> listItems(HWND list) {
    const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    constexpr std::size_t textSize = 1024;
    RemoteBuffer remote(list, sizeof(LVITEMA) + textSize);
    std::vector<ListItem> items;
    for (int i = 0; i < count; ++i) {
        LVITEMA item{};
        item.iSubItem = 0;
        item.cchTextMax = textSize;
        item.pszText = remote.address() + sizeof(LVITEMA);
        remote.write(&item, sizeof item);
        const auto length = static_cast<std::size_t>(
            ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote.address())));
        std::string s(length, '\0');
        remote.read(s.data(), length, sizeof(LVITEMA));
        const auto state =
            static_cast<UINT>(::SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_STATEIMAGEMASK));
        items.push_back({s, ((state >> 12) - 1) == 1});
    }
    return items;
}

int listCurrent(HWND list) {
    return static_cast<int>(::SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void setListTick(HWND list, int index, bool ticked) {
    RemoteBuffer remote(list, sizeof(LVITEMA));
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
    remote.write(&item, sizeof item);
    ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote.address()));
}

std::string toolTipText(HWND owner, HWND tool) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(owner, &pid);
    FindContext ctx{pid, TOOLTIPS_CLASSA, false, {}};
    ::EnumWindows(collect, reinterpret_cast<LPARAM>(&ctx));
    for (HWND tip : ctx.found) {
        if (::GetWindow(tip, GW_OWNER) != owner) {
            continue;
        }
        constexpr std::size_t textSize = 1024;
        RemoteBuffer remote(tip, sizeof(TTTOOLINFOA) + textSize);
        TTTOOLINFOA info{};
        info.cbSize = sizeof info;
        info.hwnd = owner;
        info.uId = reinterpret_cast<UINT_PTR>(tool);
        info.lpszText = remote.address() + sizeof(TTTOOLINFOA);
        const char nothing = '\0';
        remote.write(&nothing, 1, sizeof(TTTOOLINFOA));
        remote.write(&info, sizeof info);
        ::SendMessageA(tip, TTM_GETTEXTA, textSize, reinterpret_cast<LPARAM>(remote.address()));
        std::string text(textSize, '\0');
        remote.read(text.data(), textSize, sizeof(TTTOOLINFOA));
        text.resize(text.find('\0'));
        return text;
    }
    return {};
}

RECT childRect(HWND parent, int id) {
    const HWND child = ::GetDlgItem(parent, id);
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool screenshot(HWND window, const std::string& bmpPath) {
    // The pointer out of the way, so that no tool tip covers the window.
    ::SetCursorPos(0, 0);
    ::Sleep(200);
    RECT r{};
    ::GetWindowRect(window, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    if (width <= 0 || height <= 0) {
        return false;
    }
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    const HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    ::SelectObject(memory, old);
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageSize;
    std::ofstream out(bmpPath, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), imageSize);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return out.good();
}

} // namespace driver
