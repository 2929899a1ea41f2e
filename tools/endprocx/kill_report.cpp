#include "kill_report.h"

#include "platform/text.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <unordered_set>

namespace endprocx {
namespace {

constexpr std::string_view blanks = " \t";

// The name goes into a line of a text file: control characters would break the two-line shape.
std::string printable(std::string_view name) {
    std::string out(name);
    for (char& c : out) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            c = '?';
        }
    }
    return out;
}

std::string quoted(std::string_view taskName) {
    return "\"" + printable(taskName) + "\"";
}

} // namespace

// "cmd /c endprocx.exe <name> > file" hands over the rest of its line as it stands, the blank before ">" and runs
// of blanks inside the name included, having already acted on & | < > ^ and %variables% where the name is unquoted.
// Splitting into arguments would lose those runs and give quotes and backslashes meanings they have in no file
// name. A quote that does not wrap the whole name stays, so that such a name matches nothing rather than another.
std::string taskNameFromCommandLine(std::string_view commandLine) {
    std::size_t tail = 0;
    if (commandLine.starts_with('"')) {
        const std::size_t close = commandLine.find('"', 1);
        tail = close == std::string_view::npos ? commandLine.size() : close + 1;
    } else {
        tail = std::min(commandLine.find_first_of(blanks), commandLine.size());
    }
    std::string_view name = commandLine.substr(tail);
    const std::size_t first = name.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    name = name.substr(first, name.find_last_not_of(blanks) - first + 1);
    if (name.size() >= 2 && name.starts_with('"') && name.ends_with('"')) {
        name = name.substr(1, name.size() - 2);
    }
    return std::string(name);
}

bool sameImageName(std::string_view a, std::string_view b) noexcept {
    return quellary::sameIgnoringAsciiCase(a, b);
}

// A parent's id may since have passed to a stranger. A true ancestor was created no later than the nearest process
// below it with a known time (equal times within one clock tick), so the walk stops at a later "parent" and at any
// repeat. An unknown time is followed: a stranger taken for a caller is only spared, the reverse would be ended.
std::vector<std::uint32_t> callerChain(std::uint32_t selfPid, const std::vector<ProcessEntry>& processes) {
    std::unordered_map<std::uint32_t, const ProcessEntry*> byPid;
    for (const ProcessEntry& p : processes) {
        byPid.emplace(p.pid, &p);
    }
    std::vector<std::uint32_t> chain;
    std::unordered_set<std::uint32_t> seen{selfPid};
    std::uint64_t createdBelow = 0;
    auto it = byPid.find(selfPid);
    while (it != byPid.end()) {
        const ProcessEntry& child = *it->second;
        createdBelow = child.created != 0 ? child.created : createdBelow;
        if (child.parentPid == 0 || !seen.insert(child.parentPid).second) {
            break;
        }
        it = byPid.find(child.parentPid);
        if (it != byPid.end() && createdBelow != 0 && it->second->created > createdBelow) {
            break;
        }
        chain.push_back(child.parentPid);
    }
    return chain;
}

bool isSystemProcess(std::uint32_t pid, std::string_view imageName) noexcept {
    // 0 is the idle process and 4 the kernel's own on every Windows NT; the names are the session and service
    // infrastructure, including the kernel's pseudo-processes as the process list names them.
    static constexpr std::array<std::string_view, 15> names{
        "[System Process]", "System",     "Secure System", "Registry",     "Memory Compression",
        "smss.exe",         "csrss.exe",  "wininit.exe",   "winlogon.exe", "services.exe",
        "lsass.exe",        "lsaiso.exe", "svchost.exe",   "dwm.exe",      "fontdrvhost.exe",
    };
    return pid == 0 || pid == 4 ||
           std::any_of(names.begin(), names.end(), [&](std::string_view n) { return sameImageName(n, imageName); });
}

std::vector<Target> selectTargets(const std::vector<ProcessEntry>& processes,
                                  const std::function<quellary::Match(const ProcessEntry&)>& named,
                                  std::uint32_t selfPid) {
    const std::vector<std::uint32_t> callers = callerChain(selfPid, processes);
    std::vector<Target> targets;
    for (const ProcessEntry& p : processes) {
        // The tool itself is no task: it ends on its own a moment later, so it neither counts nor blocks "Killed".
        const quellary::Match match = p.pid == selfPid ? quellary::Match::No : named(p);
        if (match == quellary::Match::No) {
            continue;
        }
        TargetKind kind = TargetKind::kill;
        if (match == quellary::Match::Unconfirmed) {
            kind = TargetKind::unconfirmed;
        } else if (isSystemProcess(p.pid, p.imageName)) {
            kind = TargetKind::system;
        } else if (std::find(callers.begin(), callers.end(), p.pid) != callers.end()) {
            kind = TargetKind::caller;
        }
        targets.push_back({p.pid, p.created, kind});
    }
    return targets;
}

// A time of 0 is one the look could not read: nothing can be told from it.
HeldIs heldIs(std::uint64_t seenCreated, std::optional<std::uint64_t> heldCreated) noexcept {
    if (seenCreated == 0 || !heldCreated || *heldCreated == 0) {
        return HeldIs::unknown;
    }
    return *heldCreated == seenCreated ? HeldIs::seen : HeldIs::another;
}

namespace {

// Said only where a process was asked to close: without windows every process is forced, as it always was.
std::string closingSummary(const KillCounts& counts) {
    if (counts.askedToClose == 0 && counts.unasked.empty()) {
        return {};
    }
    return "; " + std::to_string(counts.closed) + " closed when asked, " +
           std::to_string(counts.ended - counts.closed) + " forced" + unaskedText(counts.unasked);
}

} // namespace

Report reportFor(std::string_view taskName, const KillCounts& counts) {
    const std::string name = quoted(taskName);
    const int found = counts.found();
    if (found == 0) {
        return {"endprocx: no process named " + name + " is running", "Process " + name + " not found", exitDone};
    }
    const std::string total = std::to_string(found);
    if (counts.ended == found) {
        return {"endprocx: " + name + ": " + total + " running, " + total + " terminated" + closingSummary(counts),
                "Process " + name + ": " + total + " of " + total + " Killed", exitDone};
    }
    const int left = found - counts.ended;
    std::string reasons;
    const auto add = [&](int count, std::string_view what) {
        if (count > 0) {
            reasons += (reasons.empty() ? "" : ", ") + std::string(what) + " " + std::to_string(count);
        }
    };
    add(counts.refused, "protected");
    add(counts.denied, "access denied");
    add(counts.stillRunning, "still running");
    add(counts.failed, "error");
    // The closing parenthesis keeps the line from ever ending in one of the two verdict words.
    return {"endprocx: " + name + ": " + total + " running, " + std::to_string(counts.ended) + " terminated, " +
                std::to_string(left) + " not terminated" + closingSummary(counts),
            "Process " + name + ": " + std::to_string(left) + " of " + total + " not terminated (" + reasons + ")",
            exitNotTerminated};
}

// An empty line in a task list reaches the tool as no name at all. No process has an empty image name, so
// the verdict is "not found": the caller drops the entry instead of counting it as a task left running.
Report usageReport() {
    return {"Usage: endprocx.exe <task name>  (ends every running process of that image name)",
            "No task name was given, so no process of that name was found", exitUsage};
}

Report failureReport(std::string_view taskName, std::string_view reason) {
    return {"endprocx: " + quoted(taskName) + ": nothing was terminated",
            "Process " + quoted(taskName) + " not checked (" + printable(reason) + ")", exitFailure};
}

} // namespace endprocx
