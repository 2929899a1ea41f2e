// endprocx.exe: ends every running process of one image name, or started from one image file, and reports the
// outcome in two lines.
#include "close_windows.h"
#include "kill_report.h"
#include "other_sessions.h"
#include "platform/handles.h"
#include "platform/process_view.h"
#include "platform/run_identity.h"
#include "platform/wide_text.h"
#include "termination/entry_match.h"
#include "termination/process_match.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

using endprocx::KillCounts;
using endprocx::ProcessEntry;
using endprocx::Report;

using quellary::UniqueHandle;

// Long enough for a process busy in the kernel, short enough that a caller waiting for the result file is not kept
// long; a process stuck in I/O on a dead share uses up its own bound, not that of processes found after it.
constexpr ULONGLONG processBoundMs = 5000;
// The whole task stays well within the bound the program gives the tool (30 s).
constexpr ULONGLONG taskBoundMs = 20000;
// What a deployment toolkit gives a windowed program to save its work and close, for all of a task's processes
// together: a window that never answers costs no more.
constexpr ULONGLONG closeBoundMs = 2000;
// A process that starts another of its own name as it dies is followed this many times; after that the tool
// reports the newcomers as still running instead of chasing them for ever.
constexpr int killRounds = 3;

// UTF-8 holds every letter of the system's UTF-16 names, where the ANSI functions would turn those outside the code
// page into '?'. An unpaired surrogate, which a file name may hold, becomes U+FFFD.
std::string utf8(std::wstring_view text) {
    return quellary::narrowText(text, CP_UTF8);
}

// Windows 8.1 and later can say whether ending a process would stop the system; older systems and Wine may lack
// the function, and a process that cannot be asked counts as not critical (the name list still guards it).
bool isCritical(HANDLE process) noexcept {
    using IsProcessCriticalFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    static const auto fn = [] {
        const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
        const FARPROC proc = kernel ? ::GetProcAddress(kernel, "IsProcessCritical") : nullptr;
        return reinterpret_cast<IsProcessCriticalFn>(reinterpret_cast<void*>(proc));
    }();
    BOOL critical = FALSE;
    return fn && fn(process, &critical) && critical;
}

// Where a process counts that could not be terminated, by the error of the call that failed.
int& unterminated(DWORD error, KillCounts& counts) noexcept {
    return error == ERROR_ACCESS_DENIED ? counts.denied : counts.failed;
}

// Everything after the look reaches the process through this handle, so that its id cannot pass to another
// meanwhile. One that may not be ended may still be asked to close. Nothing where it is counted at once.
std::optional<endprocx::HeldProcess> hold(const endprocx::Target& target, KillCounts& counts) {
    constexpr DWORD ask = SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION;
    UniqueHandle process(::OpenProcess(ask | PROCESS_TERMINATE, FALSE, target.pid));
    if (!process && ::GetLastError() == ERROR_ACCESS_DENIED) {
        process.reset(::OpenProcess(ask, FALSE, target.pid));
    }
    if (!process) {
        const DWORD error = ::GetLastError();
        // An id that no longer names a process: it ended between the look and now.
        ++(error == ERROR_INVALID_PARAMETER ? counts.ended : unterminated(error, counts));
        return std::nullopt;
    }
    switch (endprocx::heldIs(target.created, endprocx::creationTime(process.get()))) {
    case endprocx::HeldIs::seen:
        return endprocx::HeldProcess{target.pid, std::move(process), false};
    case endprocx::HeldIs::another:
        ++counts.ended; // the process seen has ended, and its id went to one the look did not judge
        return std::nullopt;
    case endprocx::HeldIs::unknown:
        break;
    }
    ++counts.denied; // it cannot be told from a stranger that got its id, so it is left alone
    return std::nullopt;
}

// Returns whether the process was told to end; otherwise records the outcome at once.
bool terminate(HANDLE process, KillCounts& counts) {
    if (isCritical(process)) {
        ++counts.refused;
        return false;
    }
    if (!::TerminateProcess(process, 1)) {
        const DWORD error = ::GetLastError();
        // A process that is already exiting refuses to be terminated with access denied, and is not yet ended: a
        // window that was asked to close may be tearing down right at the bound.
        const bool exiting = error == ERROR_ACCESS_DENIED && ::WaitForSingleObject(process, 250) == WAIT_OBJECT_0;
        ++(exiting || endprocx::hasEnded(process) ? counts.ended : unterminated(error, counts));
        return false;
    }
    return true;
}

// One round's processes: every window is asked first while the whole task still runs, since a window may save
// through a windowless helper of its own program; then whatever still runs is forced.
void endHeld(std::vector<endprocx::HeldProcess>& processes, endprocx::ClosingChance& chance, ULONGLONG taskDeadline,
             KillCounts& counts) {
    chance.give(processes);
    const bool anyAsked = std::any_of(processes.begin(), processes.end(),
                                      [](const endprocx::HeldProcess& process) { return process.asked; });
    std::vector<HANDLE> told;
    for (const endprocx::HeldProcess& process : processes) {
        counts.askedToClose += process.asked ? 1 : 0;
        if (endprocx::hasEnded(process.handle.get())) {
            ++counts.ended;
            counts.closed += anyAsked ? 1 : 0;
        } else if (terminate(process.handle.get(), counts)) {
            told.push_back(process.handle.get());
        }
    }
    endprocx::awaitAll(told, std::min(::GetTickCount64() + processBoundMs, taskDeadline));
    for (const HANDLE process : told) {
        ++(endprocx::hasEnded(process) ? counts.ended : counts.stillRunning);
    }
}

Report killTask(const std::string& taskName) {
    const DWORD self = ::GetCurrentProcessId();
    const quellary::EntryMatch entry = quellary::entryMatch(quellary::wideText(taskName, CP_UTF8));
    const ULONGLONG taskDeadline = ::GetTickCount64() + taskBoundMs;
    endprocx::ClosingChance chance(closeBoundMs);
    KillCounts counts;
    endprocx::Handled handled;
    for (int round = 0; round <= killRounds; ++round) {
        std::vector<endprocx::HeldProcess> toEnd;
        bool newcomers = false;
        {
            // On for the look and the opening only: a handle keeps the rights it was opened with, and the helpers
            // started for other sessions later must not inherit it where the system hands them this token.
            const quellary::DebugPrivilege privilege;
            const quellary::ProcessView view = quellary::ProcessView::take();
            if (view.error() != ERROR_SUCCESS) {
                if (round == 0) {
                    return endprocx::failureReport(taskName, "process list unavailable, system error " +
                                                                 std::to_string(view.error()));
                }
                break;
            }
            // The tool's own row is none of the view's, but its callers are found from it.
            const quellary::ProcessRow& own = view.self();
            std::vector<ProcessEntry> entries{{self, own.parentId, utf8(own.name), own.created}};
            for (const quellary::ProcessRow& row : view.rows()) {
                entries.push_back({row.id, row.parentId, utf8(row.name), row.created});
            }
            std::unordered_map<DWORD, quellary::Match> matches;
            for (const quellary::RowMatch& row : quellary::matchOverRows(entry, view.rows(), view.imageOf()).named) {
                matches.emplace(row.id, row.match);
            }
            const auto named = [&](const ProcessEntry& process) {
                const auto match = matches.find(process.pid);
                return match == matches.end() ? quellary::Match::No : match->second;
            };
            for (const endprocx::Target& target : endprocx::selectTargets(entries, named, self)) {
                if (!handled.first(target)) {
                    continue;
                }
                newcomers = true;
                if (target.kind == endprocx::TargetKind::unconfirmed) {
                    ++counts.denied; // it may be the task, but the tool may not even ask
                } else if (round == killRounds) {
                    ++counts.stillRunning;
                } else if (target.kind != endprocx::TargetKind::kill) {
                    ++counts.refused;
                } else if (std::optional<endprocx::HeldProcess> process = hold(target, counts)) {
                    toEnd.push_back(std::move(*process));
                }
            }
        }
        if (!newcomers) {
            break;
        }
        endHeld(toEnd, chance, taskDeadline, counts);
    }
    counts.unasked = chance.unasked();
    return endprocx::reportFor(taskName, counts);
}

void writeOut(const std::string& text) noexcept {
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    // Raw bytes: the lines carry their own CR LF, and the runtime's text mode must not add to them.
    ::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

} // namespace

int main() {
    // A library planted beside the tool must not run with the rights of whoever runs it: the libraries loaded from
    // here on come from the system folder alone.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    std::string taskName;
    Report report;
    try {
        taskName = endprocx::taskNameFromCommandLine(utf8(::GetCommandLineW()));
        // Started by the tool in a user's session, it only asks, with no right of its own to enable.
        if (const std::optional<endprocx::HelperRequest> request = endprocx::helperRequest(taskName)) {
            writeOut(endprocx::askAsHelper(*request));
            return endprocx::exitDone;
        }
        report = taskName.empty() ? endprocx::usageReport() : killTask(taskName);
    } catch (const std::bad_alloc&) {
        report = endprocx::failureReport(taskName, "out of memory");
    }
    writeOut(report.text());
    return report.exitCode;
}
