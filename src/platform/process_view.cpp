#include "platform/process_view.h"

#include "platform/process_image.h"
#include "platform/run_identity.h"
#include "platform/system_information.h"
#include "platform/system_library.h"

#include <algorithm>
#include <optional>
#include <unordered_set>
#include <utility>

namespace quellary {

namespace {

constexpr LONG statusInfoLengthMismatch = static_cast<LONG>(0xC0000004);

// The layout of SYSTEM_PROCESS_INFORMATION as far as a look needs it, which every Windows NT has kept.
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

// WTS_PROCESS_INFO_EXW, which the compiler's headers may lack.
struct SessionProcessEntry {
    DWORD sessionId;
    DWORD processId;
    LPWSTR processName;
    PSID userSid;
    DWORD numberOfThreads;
    DWORD handleCount;
    DWORD pagefileUsage;
    DWORD peakPagefileUsage;
    DWORD workingSetSize;
    DWORD peakWorkingSetSize;
    LARGE_INTEGER userTime;
    LARGE_INTEGER kernelTime;
};

std::uint32_t idOf(HANDLE id) {
    return static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(id));
}

// The ids of the processes of every session that run as this run's user; nothing where the system cannot say.
// Asked of the session service, which tells each process's user without a handle to it; its library is no
// known one, so it is loaded only by a run that needs it.
std::optional<std::unordered_set<std::uint32_t>> ownUsersProcesses() {
    using EnumerateFn = BOOL(WINAPI*)(HANDLE, DWORD*, DWORD, LPWSTR*, DWORD*);
    using FreeFn = BOOL(WINAPI*)(int, PVOID, ULONG);
    constexpr DWORD anySession = 0xFFFFFFFE;
    constexpr int processInfoLevel1 = 1;
    static const HMODULE library = systemLibrary(L"wtsapi32.dll");
    const auto enumerate = exportedFunction<EnumerateFn>(library, "WTSEnumerateProcessesExW");
    const auto release = exportedFunction<FreeFn>(library, "WTSFreeMemoryExW");
    std::vector<BYTE> user = tokenUser();
    const PSID self = sidOf(user);
    DWORD level = 1;
    LPWSTR listed = nullptr;
    DWORD count = 0;
    if (enumerate == nullptr || release == nullptr || self == nullptr ||
        !enumerate(nullptr, &level, anySession, &listed, &count)) {
        return std::nullopt;
    }
    std::unordered_set<std::uint32_t> ids;
    const auto* entries = reinterpret_cast<const SessionProcessEntry*>(listed);
    for (DWORD i = 0; i < count; ++i) {
        if (entries[i].userSid != nullptr && ::EqualSid(entries[i].userSid, self)) {
            ids.insert(entries[i].processId);
        }
    }
    release(processInfoLevel1, listed, count);
    return ids;
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
        view.error_ = errorOfStatus(status);
        return view;
    }
    const RunIdentity self = ownIdentity();
    const std::optional<std::unordered_set<std::uint32_t>> ownUsers =
        reachOf(self) == Reach::OwnUser ? ownUsersProcesses() : std::nullopt;
    const DWORD selfId = ::GetCurrentProcessId();
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
    for (std::size_t offset = 0;;) {
        const auto* entry = reinterpret_cast<const SystemProcessEntry*>(bytes + offset);
        const std::uint32_t id = idOf(entry->uniqueProcessId);
        const std::optional<bool> ownUser = ownUsers ? std::optional<bool>(ownUsers->contains(id)) : std::nullopt;
        if (id != 0 && (id == selfId || withinReach(self, entry->sessionId, ownUser))) {
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
    return images_.emplace(row.id, processImage(place(row))).first->second;
}

ImagePlace ProcessView::place(const ProcessRow& row) const {
    const auto known = places_.find(row.id);
    if (known != places_.end()) {
        return known->second;
    }
    return places_.emplace(row.id, processImagePlace(row.id)).first->second;
}

} // namespace quellary
