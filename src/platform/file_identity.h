// Which file an open handle or a path reaches, whichever way leads to it.
#pragma once

#include "platform/process_rows.h"

#include <windows.h>

#include <optional>
#include <string>

namespace quellary {

// Nothing where the system cannot tell.
[[nodiscard]] std::optional<FileId> fileIdOf(HANDLE file);

// The path as the system finds it for the open file, links and mapped drives resolved; empty where it cannot
// tell. `flags` as GetFinalPathNameByHandle takes them.
[[nodiscard]] std::wstring finalPathOf(HANDLE file, DWORD flags);

// Nothing where the path cannot be opened, with the system's error in `error`.
[[nodiscard]] std::optional<FileKey> fileKey(const std::wstring& path, DWORD* error = nullptr);

} // namespace quellary
