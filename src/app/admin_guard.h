// A run with administrator rights takes nothing from a place that other users may change: not the program's folder,
// whose files it runs, nor the kill tool it starts, nor the task list that says what it ends.
#pragma once

#include "app/startup.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quellary {

enum class GuardedPart { ProgramFolder, KillTool, TaskList };

// The box that refuses the run: the part and its path, what others may do to it (`wrongs`, one line each), and how
// to mend it.
MessageText othersMayChangeMessage(GuardedPart part, std::string_view path, const std::vector<std::string>& wrongs);

// For a process with administrator rights: the box that refuses the run where anybody but SYSTEM, Administrators,
// TrustedInstaller or the process's own user may change the part at `path`, or replace it through a folder above it
// up to its volume's root (as its final path runs), or where an owner and access list cannot be read. Nothing where
// the part is closed to others, and always nothing for a standard user.
[[nodiscard]] std::optional<MessageText> refusalFor(GuardedPart part, const std::string& path);

} // namespace quellary
