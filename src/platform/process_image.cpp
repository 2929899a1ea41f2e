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

std::wstring queriedImagePath(HANDLE process, DWORD flags) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        auto size = static_cast<DWORD>(path.size());
        if (::QueryFullProcessImageNameW(process, flags, path.data(), &size)) {
            path.resize(size);
            return path;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || path.size() > 32768) {
            return {};
        }
        path.resize(path.size() * 2);
    }
}

// Without a handle (a process whose access list refuses this one) the system still names the image, by its device
// path. Windows 10 and later; Wine lacks it. `gone` where the process no longer exists.
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
    return name.substr(0, entry.nameLength / sizeof(wchar_t));
}

} // namespace

ImagePlace processImagePlace(std::uint32_t id) {
    ImagePlace place;
    const UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    if (process) {
        place.path = queriedImagePath(process.get(), 0);
        DWORD code = 0;
        if (place.path.empty() && ::GetExitCodeProcess(process.get(), &code) && code != STILL_ACTIVE) {
            place.state = ImageLookup::State::Gone;
            return place;
        }
        place.devicePath = queriedImagePath(process.get(), PROCESS_NAME_NATIVE);
    } else if (::GetLastError() == ERROR_INVALID_PARAMETER) {
        place.state = ImageLookup::State::Gone; // the id names no process any more
        return place;
    }
    if (place.path.empty()) {
        bool gone = false;
        place.devicePath = listedImagePath(id, gone);
        if (gone) {
            place.state = ImageLookup::State::Gone;
            return place;
        }
        // The file functions open a device path through the GLOBALROOT link.
        place.path = place.devicePath.empty() ? std::wstring() : L"\\\\?\\GLOBALROOT" + place.devicePath;
    }
    place.state = place.path.empty() ? ImageLookup::State::Denied : ImageLookup::State::Read;
    return place;
}

ImageLookup processImage(const ImagePlace& place) {
    if (place.state != ImageLookup::State::Read) {
        return {place.state, {}, std::nullopt};
    }
    return {place.state, longPath(place.path), fileKey(place.path)};
}

} // namespace quellary
