#include "platform/processes.h"

#include "platform/handles.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace quellary {

namespace {

using NtQuerySystemInformationFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

constexpr ULONG systemProcessInformation = 5;
constexpr ULONG systemProcessIdInformation = 88;
constexpr LONG statusInfoLengthMismatch = static_cast<LONG>(0xC0000004);
constexpr LONG statusInvalidClientId = static_cast<LONG>(0xC000000B);

// Exported by ntdll on every Windows NT: looked up, so that the tool needs no import library for it.
NtQuerySystemInformationFn ntQuerySystemInformation() {
    static const auto fn = [] {
        const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        const FARPROC proc = ntdll ? ::GetProcAddress(ntdll, "NtQuerySystemInformation") : nullptr;
        return reinterpret_cast<NtQuerySystemInformationFn>(reinterpret_cast<void*>(proc));
    }();
    return fn;
}

// The system's list entry of one process, as far as a look needs it (the layout of SYSTEM_PROCESS_INFORMATION,
// which every Windows NT has kept).
struct SystemProcessEntry {
    ULONG nextEntryOffset;
    ULONG numberOfThreads;
    LARGE_INTEGER reserved[3];
    LARGE_INTEGER createTime;
    LARGE_INTEGER userTime;
    LARGE_INTEGER kernelTime;
    USHORT nameLength; // bytes
    USHORT nameMaximumLength;
    PWSTR nameBuffer;
    LONG basePriority;
    HANDLE uniqueProcessId;
    HANDLE inheritedFromUniqueProcessId;
    ULONG handleCount;
    ULONG sessionId;
};

struct SystemProcessIdEntry {
    HANDLE processId;
    USHORT nameLength; // bytes
    USHORT nameMaximumLength;
    PWSTR nameBuffer;
};

std::uint32_t idOf(HANDLE id) {
    return static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(id));
}

// The path the process's image was started by, through a handle of the least right that tells it.
std::wstring queriedImagePath(HANDLE process) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        auto size = static_cast<DWORD>(path.size());
        if (::QueryFullProcessImageNameW(process, 0, path.data(), &size)) {
            path.resize(size);
            return path;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || path.size() > 32768) {
            return {};
        }
        path.resize(path.size() * 2);
    }
}

// Without a handle (a process whose access list refuses this one): the system names its image by the volume's
// device path, which the file functions open through the GLOBALROOT link. Windows 10 and later; Wine lacks it.
// Empty where it cannot be had; `gone` where the process no longer exists.
std::wstring listedImagePath(std::uint32_t id, bool& gone) {
    const NtQuerySystemInformationFn query = ntQuerySystemInformation();
    std::wstring name(32768, L'\0');
    SystemProcessIdEntry entry{reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(id)), 0,
                               static_cast<USHORT>(name.size() * sizeof(wchar_t) - sizeof(wchar_t)), name.data()};
    const LONG status = query ? query(systemProcessIdInformation, &entry, sizeof entry, nullptr) : -1;
    gone = status == statusInvalidClientId;
    if (status < 0 || entry.nameLength == 0) {
        return {};
    }
    return L"\\\\?\\GLOBALROOT" + name.substr(0, entry.nameLength / sizeof(wchar_t));
}

ImageLookup readImage(std::uint32_t id) {
    ImageLookup lookup;
    std::wstring path;
    const UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    if (process) {
        path = queriedImagePath(process.get());
        DWORD code = 0;
        if (path.empty() && ::GetExitCodeProcess(process.get(), &code) && code != STILL_ACTIVE) {
            lookup.state = ImageLookup::State::Gone;
            return lookup;
        }
    } else if (::GetLastError() == ERROR_INVALID_PARAMETER) {
        lookup.state = ImageLookup::State::Gone; // the id names no process any more
        return lookup;
    }
    if (path.empty()) {
        bool gone = false;
        path = listedImagePath(id, gone);
        if (gone) {
            lookup.state = ImageLookup::State::Gone;
            return lookup;
        }
    }
    if (path.empty()) {
        lookup.state = ImageLookup::State::Denied;
        return lookup;
    }
    lookup.state = ImageLookup::State::Read;
    lookup.path = longPath(path);
    lookup.file = fileKey(path);
    return lookup;
}

} // namespace

ProcessView ProcessView::take() {
    ProcessView view;
    const NtQuerySystemInformationFn query = ntQuerySystemInformation();
    if (query == nullptr) {
        view.error_ = ERROR_PROC_NOT_FOUND;
        return view;
    }
    // The list grows between the call that sizes it and the one that fills it: ask again with room to spare.
    std::vector<std::uint64_t> buffer(std::size_t{64} * 1024);
    LONG status = 0;
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        status = query(systemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size() * sizeof buffer[0]),
                       &needed);
        if (status != statusInfoLengthMismatch) {
            break;
        }
        buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed / sizeof buffer[0] + 4096));
    }
    if (status < 0) {
        view.error_ = ERROR_NOT_ENOUGH_MEMORY;
        return view;
    }
    const RunIdentity self = ownIdentity();
    const DWORD selfId = ::GetCurrentProcessId();
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
    for (std::size_t offset = 0;;) {
        const auto* entry = reinterpret_cast<const SystemProcessEntry*>(bytes + offset);
        const std::uint32_t id = idOf(entry->uniqueProcessId);
        if (id != 0 && withinReach(self, entry->sessionId)) {
            ProcessRow row{id, idOf(entry->inheritedFromUniqueProcessId), entry->sessionId,
                           static_cast<std::uint64_t>(entry->createTime.QuadPart),
                           std::wstring(entry->nameBuffer, entry->nameLength / sizeof(wchar_t))};
            (id == selfId ? view.self_ : view.rows_.emplace_back()) = std::move(row);
        }
        if (entry->nextEntryOffset == 0) {
            break;
        }
        offset += entry->nextEntryOffset;
    }
    return view;
}

ImageLookup ProcessView::image(const ProcessRow& row) const {
    const auto known = images_.find(row.id);
    if (known != images_.end()) {
        return known->second;
    }
    return images_.emplace(row.id, readImage(row.id)).first->second;
}

RunIdentity ownIdentity() {
    static const RunIdentity identity = [] {
        RunIdentity self;
        DWORD session = 0;
        if (::ProcessIdToSessionId(::GetCurrentProcessId(), &session)) {
            self.session = session;
        }
        HANDLE token = nullptr;
        if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
            const UniqueHandle owned(token);
            std::vector<std::uint64_t> user(64);
            DWORD size = 0;
            if (::GetTokenInformation(token, TokenUser, user.data(), static_cast<DWORD>(user.size() * 8), &size)) {
                self.localSystem =
                    ::IsWellKnownSid(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid, WinLocalSystemSid);
            }
        }
        return self;
    }();
    return identity;
}

bool enableDebugPrivilege() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        return false;
    }
    const UniqueHandle owned(token);
    TOKEN_PRIVILEGES privileges{1, {{{}, SE_PRIVILEGE_ENABLED}}};
    if (!::LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &privileges.Privileges[0].Luid)) {
        return false;
    }
    // Succeeds also when the token lacks the privilege; only the last error tells.
    return ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) && ::GetLastError() == ERROR_SUCCESS;
}

std::optional<FileId> fileIdOf(HANDLE file) {
    FILE_ID_INFO wide{};
    if (::GetFileInformationByHandleEx(file, FileIdInfo, &wide, sizeof wide)) {
        FileId id{wide.VolumeSerialNumber};
        std::memcpy(&id.low, wide.FileId.Identifier, sizeof id.low);
        std::memcpy(&id.high, wide.FileId.Identifier + sizeof id.low, sizeof id.high);
        return id;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) {
        return std::nullopt;
    }
    return FileId{info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow, 0};
}

std::wstring finalPathOf(HANDLE file, DWORD flags) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()), flags);
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(length);
    }
}

std::optional<FileKey> fileKey(const std::wstring& path, DWORD* error) {
    // Attributes only, so that a running image, and a file this account may not read, still open.
    const UniqueFile file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) {
        if (error != nullptr) {
            *error = ::GetLastError();
        }
        return std::nullopt;
    }
    const std::optional<FileId> id = fileIdOf(file.get());
    if (!id) {
        if (error != nullptr) {
            *error = ::GetLastError();
        }
        return std::nullopt;
    }
    return FileKey{*id, finalPathOf(file.get(), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS)};
}

bool sameFileName(std::wstring_view a, std::wstring_view b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::wstring wideText(std::string_view text, UINT codePage) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    std::wstring wide(static_cast<std::size_t>(::MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0)),
                      L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string narrowText(std::wstring_view text, UINT codePage) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    std::string narrow(
        static_cast<std::size_t>(::WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr)),
        '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), length, narrow.data(), static_cast<int>(narrow.size()), nullptr,
                          nullptr);
    return narrow;
}

std::wstring longPath(const std::wstring& path) {
    std::wstring full(path.size() + MAX_PATH, L'\0');
    const DWORD length = ::GetLongPathNameW(path.c_str(), full.data(), static_cast<DWORD>(full.size()));
    if (length == 0 || length >= full.size()) {
        return path;
    }
    full.resize(length);
    return full;
}

std::wstring shortFileName(const std::wstring& path) {
    std::wstring shortForm(path.size() + MAX_PATH, L'\0');
    const DWORD length = ::GetShortPathNameW(path.c_str(), shortForm.data(), static_cast<DWORD>(shortForm.size()));
    if (length == 0 || length >= shortForm.size()) {
        return {};
    }
    shortForm.resize(length);
    const std::wstring_view name = std::wstring_view(shortForm).substr(shortForm.find_last_of(L'\\') + 1);
    const std::wstring_view longName = std::wstring_view(path).substr(path.find_last_of(L'\\') + 1);
    return sameFileName(name, longName) ? std::wstring() : std::wstring(name);
}

} // namespace quellary
