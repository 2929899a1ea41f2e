#include "app_dir.h"

#include <aclapi.h>
#include <sddl.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cctype>
#include <cstdint>

#include <fstream>
#include <sstream>

namespace driver {

namespace {

void removeTree(const std::string& path) {
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string child = path + "\\" + name;
            ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(child);
            } else {
                ::DeleteFileA(child.c_str());
            }
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(path.c_str());
}

} // namespace

std::string binDirectory() {
    char path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\'));
}

std::string screenshotDirectory() {
    const std::string dir = binDirectory() + "\\..\\screenshots";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool fileExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool openToEveryone(const std::string& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1301bf;;;WD)",
                                                                SDDL_REVISION_1, &descriptor, nullptr)) {
        return false;
    }
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL list = nullptr;
    const bool set = ::GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted) &&
                     ::SetNamedSecurityInfoA(const_cast<char*>(path.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                             nullptr, nullptr, list, nullptr) == 0;
    ::LocalFree(descriptor);
    return set;
}

namespace {

// The Unix name of a Windows path; a drive letter's is its link in the prefix's dosdevices, beside drive_c.
std::string unixName(const std::string& path) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    if (toUnix == nullptr) {
        return {};
    }
    const bool drive = path.size() == 2 && path[1] == ':';
    const std::string windowsName = drive ? "C:\\" : path;
    char* name = toUnix(std::wstring(windowsName.begin(), windowsName.end()).c_str());
    std::string text = name != nullptr ? name : "";
    ::HeapFree(::GetProcessHeap(), 0, name);
    if (drive) {
        const std::size_t devices = text.find("/dosdevices/");
        text = (devices != std::string::npos ? text.substr(0, devices)
                                             : text.substr(0, text.find_last_of('/', text.size() - 2))) +
               "/dosdevices/" + path;
    }
    return text;
}

// Wine runs a Unix program started by its path on drive Z:.
bool runUnix(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION unix{};
    const std::string program = "Z:" + commandLine.substr(0, commandLine.find(' '));
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &unix)) {
        return false;
    }
    // Wine gives no handle to wait on for a Unix program.
    ::CloseHandle(unix.hThread);
    ::CloseHandle(unix.hProcess);
    return true;
}

} // namespace

bool underWine() {
    return ::GetProcAddress(::GetModuleHandleA("ntdll"), "wine_get_version") != nullptr;
}

bool makeLink(const std::string& link, const std::string& target, bool folder) {
    const bool drive = link.size() == 2 && link[1] == ':';
    if (drive && !underWine()) {
        return ::DefineDosDeviceA(0, link.c_str(), target.c_str()) && fileExists(link + "\\");
    }
    if (!drive) {
        const DWORD kind = folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0;
        // Without the privilege to make links (a standard user), Windows still makes one in developer mode.
        const bool made = ::CreateSymbolicLinkA(link.c_str(), target.c_str(), kind) ||
                          (!underWine() && ::CreateSymbolicLinkA(link.c_str(), target.c_str(),
                                                                 kind | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE));
        if (made && fileExists(link)) {
            return true;
        }
    }
    if (!underWine()) {
        return false;
    }
    return runUnix("/bin/ln -s \"" + unixName(target) + "\" \"" + unixName(link) + "\"") && waitUntil([&] {
               return ::GetFileAttributesA((drive ? link + "\\" : link).c_str()) != INVALID_FILE_ATTRIBUTES;
           });
}

void removeLink(const std::string& link) {
    if (!underWine()) {
        const DWORD attributes = ::GetFileAttributesA(link.c_str());
        if (link.size() == 2 && link[1] == ':') {
            ::DefineDosDeviceA(DDD_REMOVE_DEFINITION, link.c_str(), nullptr);
        } else if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            // Either removes the link itself, never what it leads to.
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                ::RemoveDirectoryA(link.c_str());
            } else {
                ::DeleteFileA(link.c_str());
            }
        }
        return;
    }
    const std::string name = unixName(link);
    if (!name.empty() && runUnix("/bin/rm -f \"" + name + "\"")) {
        waitUntil([&] { return ::GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES; });
    }
}

Launch standard_user::quellary(const std::string& installation, const std::string& arguments) {
    Launch launch;
    launch.exePath = installation + "\\quellary.exe";
    launch.arguments = arguments;
    launch.directory = installation;
    return launch;
}

AppDir::AppDir(const std::string& folder) {
    static int counter = 0;
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    // Wine hands process ids out again: the time keeps a new folder from meeting one an earlier run left.
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const std::string base = std::string(temp) + "quellary-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
                             std::to_string(now.dwLowDateTime) + "-" + std::to_string(++counter);
    removeTree(base);
    ::CreateDirectoryA(base.c_str(), nullptr);
    path_ = base + "\\" + folder;
    windir_ = base + "\\windows";
    ::CreateDirectoryA(path_.c_str(), nullptr);
    ::CreateDirectoryA(windir_.c_str(), nullptr);
    install("quellary.exe");
}

AppDir::~AppDir() {
    const std::string base = path_.substr(0, path_.find_last_of('\\'));
    removeTree(base);
    // Wine can delete neither a link whose target is gone nor, so, the folder that holds it: the host can.
    const std::string name = unixName(base);
    if (fileExists(base) && !name.empty() && runUnix("/bin/rm -rf \"" + name + "\"")) {
        waitUntil([&] { return !fileExists(base); });
    }
}

void AppDir::install(const std::string& program) const {
    installTo(program, path_);
}

void AppDir::installTo(const std::string& program, const std::string& directory, const std::string& as) const {
    const std::string target = directory + "\\" + (as.empty() ? program : as);
    ::CopyFileA((binDirectory() + "\\" + program).c_str(), target.c_str(), FALSE);
}

Launch AppDir::quellary(const std::string& arguments) const {
    Launch launch;
    launch.exePath = file("quellary.exe");
    launch.arguments = arguments;
    launch.directory = path_;
    launch.environment["windir"] = windir_;
    return launch;
}

RunningTask::RunningTask(const AppDir& app, const std::string& name, const std::string& watched) {
    // Each task in a folder of its own, so that several processes can run under one name.
    static int counter = 0;
    const std::string folder = app.path() + "\\..\\task" + std::to_string(++counter);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string exe = folder + "\\" + name;
    ::CopyFileA((binDirectory() + "\\task_standin.exe").c_str(), exe.c_str(), FALSE);
    char full[MAX_PATH];
    image_ = std::string(full, ::GetFullPathNameA(exe.c_str(), MAX_PATH, full, nullptr));
    std::string commandLine = "\"" + exe + "\" " + watched;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                          &startup, &info_)) {
        info_ = {};
    }
}

RunningTask::~RunningTask() {
    if (info_.hProcess != nullptr) {
        ::TerminateProcess(info_.hProcess, 99);
        ::WaitForSingleObject(info_.hProcess, 5000);
        ::CloseHandle(info_.hThread);
        ::CloseHandle(info_.hProcess);
    }
}

bool RunningTask::endsWithin(std::chrono::milliseconds timeout) const {
    return ::WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

std::vector<DWORD> processesNamed(const std::string& name) {
    const auto lowered = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
        return text;
    };
    std::vector<DWORD> ids;
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
        if (lowered(entry.szExeFile) == lowered(name)) {
            ids.push_back(entry.th32ProcessID);
        }
    }
    ::CloseHandle(snapshot);
    return ids;
}

void endProcessesNamed(const std::string& name) {
    for (DWORD id : processesNamed(name)) {
        if (const HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
            ::TerminateProcess(process, 1);
            ::WaitForSingleObject(process, 5000);
            ::CloseHandle(process);
        }
    }
}

std::optional<bool> debugPrivilegeOn(DWORD pid) {
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    HANDLE token = nullptr;
    const bool opened = process != nullptr && ::OpenProcessToken(process, TOKEN_QUERY, &token);
    if (process != nullptr) {
        ::CloseHandle(process);
    }
    std::vector<std::uint64_t> buffer(1024);
    DWORD size = 0;
    LUID debug{};
    const bool read = opened &&
                      ::GetTokenInformation(token, TokenPrivileges, buffer.data(),
                                            static_cast<DWORD>(buffer.size() * sizeof buffer[0]), &size) &&
                      ::LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &debug);
    if (opened) {
        ::CloseHandle(token);
    }
    if (!read) {
        return std::nullopt;
    }
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID held = privileges->Privileges[i].Luid;
        if (held.LowPart == debug.LowPart && held.HighPart == debug.HighPart) {
            return (privileges->Privileges[i].Attributes & SE_PRIVILEGE_ENABLED) != 0;
        }
    }
    return false;
}

std::string taskListFile(const std::vector<std::string>& names) {
    std::string text = "[Corvana Task List]\r\n";
    for (const std::string& name : names) {
        text += name + "\r\n";
    }
    return text + "LAST.EXE\r\n";
}

} // namespace driver
