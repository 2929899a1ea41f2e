// What an entry of the task list names: a program's file name, the full path of a program file, or nothing a
// program can be called. Plain data in, plain data out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quellary {

enum class EntryKind {
    ImageName, // a file name, handed to the kill tool (also the empty entry, as it always was)
    FullPath,  // "X:\folders\name" or "\\server\share\folders\name": the processes started from that file
    Unusable,  // a name no file can have: never handed to the tool, never "not running"
};

struct EntryClass {
    EntryKind kind = EntryKind::ImageName;
    std::string why; // for an unusable entry: what is wrong with it, "holds the wildcard *"
};

// An entry, a file name or a path as Windows takes it: blanks at both ends trimmed, and the dots and blanks that
// Windows drops from the end of a file name dropped.
[[nodiscard]] std::wstring_view normalisedName(std::wstring_view name);
[[nodiscard]] std::string_view normalisedName(std::string_view name);

// The entry as UTF-8 (or ASCII), normalised first: byte by byte, a backslash is then always a backslash.
[[nodiscard]] EntryClass classifyEntry(std::string_view entry);

struct UnusableEntry {
    std::string entry;
    std::string why;
};

// One box for every unusable entry, each with its reason; empty when there are none.
std::string unusableEntriesMessage(const std::vector<UnusableEntry>& entries);

} // namespace quellary
