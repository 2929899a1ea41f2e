// The running processes that a run may end, the files their images are, and how names compare.
#pragma once

#include "platform/process_rows.h"
#include "platform/sessions.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quellary {

// One look at what runs: the system's list of every process, taken at once without opening any of them, kept to
// the rows within this process's reach (this process left out). A row's image is read only when asked for, once.
class ProcessView {
public:
    [[nodiscard]] static ProcessView take();

    [[nodiscard]] const std::vector<ProcessRow>& rows() const { return rows_; }
    // This process's own row, which rows() leaves out.
    [[nodiscard]] const ProcessRow& self() const { return self_; }
    // The system error when the list could not be taken; the view is then empty.
    [[nodiscard]] DWORD error() const { return error_; }
    [[nodiscard]] ImageLookup image(const ProcessRow& row) const;
    [[nodiscard]] ImageOf imageOf() const {
        return [this](const ProcessRow& row) { return image(row); };
    }

private:
    std::vector<ProcessRow> rows_;
    ProcessRow self_;
    DWORD error_ = ERROR_SUCCESS;
    mutable std::unordered_map<std::uint32_t, ImageLookup> images_;
};

// This process's session, and whether it runs as LocalSystem.
[[nodiscard]] RunIdentity ownIdentity();

// An administrator's elevated token holds the debug privilege, disabled: enabled, it opens other users' processes.
// False where the token lacks it, which is the rule for everyone else.
bool enableDebugPrivilege();

// Which file the path names; nothing where it cannot be opened, with the system's error in `error`.
[[nodiscard]] std::optional<FileKey> fileKey(const std::wstring& path, DWORD* error = nullptr);

// The open file's identity; nothing where the system cannot tell it.
[[nodiscard]] std::optional<FileId> fileIdOf(HANDLE file);

// The open file's path as the system finds it, links and mapped drives resolved; empty where it cannot tell.
// `flags` as GetFinalPathNameByHandle takes them.
[[nodiscard]] std::wstring finalPathOf(HANDLE file, DWORD flags);

// Names and paths compare as the file system compares them: ordinal, with the system's own case table, so that
// "CVÄGENT.EXE" is "cvägent.exe" but Turkish İ is not i, nor ß SS.
[[nodiscard]] bool sameFileName(std::wstring_view a, std::wstring_view b);

// Between the program's narrow texts (in the active code page, or another one given) and the system's UTF-16
// ones.
[[nodiscard]] std::wstring wideText(std::string_view text, UINT codePage = CP_ACP);
[[nodiscard]] std::string narrowText(std::wstring_view text, UINT codePage = CP_ACP);

// The long form of a path that exists ("C:\PROGRA~1\x.exe" as "C:\Program Files\x.exe"), else the path itself.
[[nodiscard]] std::wstring longPath(const std::wstring& path);

// The 8.3 file name of an existing file, where it has one other than its long name; else empty.
[[nodiscard]] std::wstring shortFileName(const std::wstring& path);

} // namespace quellary
