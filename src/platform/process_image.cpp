#include "platform/process_image.h"

#include "platform/file_identity.h"
#include "platform/file_names.h"
#include "platform/handles.h"
#include "platform/system_information.h"

#include <string>

namespace quellary {

namespace {

constexpr LONG statusInvalidClientId = static_cast<LONG>(0xC000000B);

struct SystemProcessIdEntry {
    HANDLE processId;
    USHORT nameLength; // bytes
    USHORT nameMaximumLength;
    PWSTR nameBuffer;
};

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
// `gone` where the process no longer exists.
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

} // namespace

ImageLookup processImage(std::uint32_t id) {
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

} // namespace quellary
