#include "platform/file_identity.h"

#include "platform/handles.h"

#include <cstring>

namespace quellary {

std::optional<FileId> fileIdOf(HANDLE file) {
    FILE_ID_INFO wide{};
    if (::GetFileInformationByHandleEx(file, FileIdInfo, &wide, sizeof wide)) {
        FileId id{wide.VolumeSerialNumber};
        std::memcpy(&id.low, wide.FileId.Identifier, sizeof id.low);
        std::memcpy(&id.high, wide.FileId.Identifier + sizeof id.low, sizeof id.high);
        return id;
    }
    // Older systems and some file systems give only the 64-bit index.
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
    const std::optional<FileId> id = file ? fileIdOf(file.get()) : std::nullopt;
    if (!id) {
        if (error != nullptr) {
            *error = ::GetLastError();
        }
        return std::nullopt;
    }
    return FileKey{*id, finalPathOf(file.get(), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS)};
}

} // namespace quellary
