// The running processes that a run may end, and how a task list entry names them.
#pragma once

#include "platform/sessions.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quellary {

struct RunningProcess {
    DWORD id = 0;
    std::wstring name;  // the image's file name
    std::wstring image; // the image's full path, in its long form; empty where it cannot be read
    DWORD session = 0;
};

// Every running process within this process's reach, this process left out. Empty when the system gives no
// list.
[[nodiscard]] std::vector<RunningProcess> runningProcesses();

// One process of the system's list (its id and the image's file name as the list gives them) with its session and
// image read; nothing where its session cannot be read or lies beyond this process's reach. The program's list and
// the kill tool's both go through it, so that they reach the same processes.
[[nodiscard]] std::optional<RunningProcess> processInReach(DWORD id, std::wstring name);

// Names and paths compare as the file system compares them: ordinal, with the system's own case table, so that
// "CVÄGENT.EXE" is "cvägent.exe" but Turkish İ is not i, nor ß SS.
[[nodiscard]] bool sameFileName(std::wstring_view a, std::wstring_view b);

// Whether the file lies in the folder or in one below it; both full paths in their long forms.
[[nodiscard]] bool liesUnder(std::wstring_view path, std::wstring_view folder);

// Between the program's narrow texts (in the active code page, or another one given) and the system's UTF-16
// ones.
[[nodiscard]] std::wstring wideText(std::string_view text, UINT codePage = CP_ACP);
[[nodiscard]] std::string narrowText(std::wstring_view text, UINT codePage = CP_ACP);

// The full path of a running process's image in its long form; empty where it cannot be read.
[[nodiscard]] std::wstring imagePath(DWORD processId);

// The long form of a path that exists ("C:\PROGRA~1\x.exe" as "C:\Program Files\x.exe"), else the path itself.
[[nodiscard]] std::wstring longPath(const std::wstring& path);

} // namespace quellary
