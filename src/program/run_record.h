// A record of one run for the run log: what was run, on which tasks, with what outcome, and how it ended.
// Plain data in, text out; the Windows side stamps the time and writes the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quellary {

// Unusable: an entry that no program can be called, never handed to the kill tool.
// Running: found running by a check, which ends nothing.
// Unticked: the user spared it; it was never handed to the kill tool.
enum class TaskOutcome { Terminated, NotRunning, MayStillRun, Unusable, Running, Unticked };

struct TaskRecord {
    std::string task;
    TaskOutcome outcome = TaskOutcome::Terminated;
    // Why the task may still run, or why the entry is unusable; for a terminated task, how many of its processes
    // closed when asked and how many were forced, when any was asked; unused when it was not running.
    std::string reason;
};

struct RunRecord {
    std::string localTime; // ISO 8601 with the offset: "2026-12-07T16:40:05+01:00"
    std::string programPath;
    std::string taskListPath;
    bool unattended = false; // started as "quellary.exe START", or as "quellary.exe CHECK"
    std::string resultFile;  // empty when the run never chose one
    std::vector<TaskRecord> tasks;
    std::vector<std::string> unlistedLeftRunning; // programs of the client that the list lacks, left running
    std::vector<std::string> unlistedUnread;      // those of them whose processes' image paths could not be read
    std::string ending;          // "exit code 1", "closed", an error report's text (may span lines), ...
    std::uint64_t startedAt = 0; // when the run began, as a FILETIME value (UTC); made local time when written
    bool check = false;          // started as "quellary.exe CHECK": a look, ending nothing
};

// Every block of the log starts with a line that begins with this, and no other line does: continuation
// lines of a text that spans lines are indented. The log can so be cut at block boundaries alone.
inline constexpr std::string_view runHeaderStart = "=== run ";

// One block: CR LF line ends, an empty line after the last one.
std::string formatRunRecord(const RunRecord& record);

// The log after appending `block` to `existing`, cut to at most `cap` bytes by dropping whole blocks, oldest
// first. When a cut is needed, text before the first block (written by hand, or the rest of a cut made by
// someone else) goes first. The newest block is kept whole even when it alone is larger than `cap`.
std::string appendWithinCap(std::string_view existing, std::string_view block, std::size_t cap);

// 1 MiB holds a few thousand runs, and is still small enough to be read and rewritten whole at each run.
inline constexpr std::size_t runLogCap = std::size_t{1024} * 1024;

} // namespace quellary
