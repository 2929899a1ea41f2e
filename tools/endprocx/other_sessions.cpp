#include "other_sessions.h"

#include "kill_report.h"
#include "platform/run_identity.h"
#include "platform/session_launch.h"

#include <wtsapi32.h>

#include <algorithm>
#include <optional>
#include <utility>

namespace endprocx {

namespace {

// The helper is done this long before the tool's own bound, so that its answer is there when the tool looks.
constexpr ULONGLONG answerMarginMs = 100;

SessionState stateOf(std::uint32_t session) {
    const std::optional<int> state = quellary::sessionConnectState(session);
    if (!state) {
        return SessionState::other;
    }
    return *state == WTSActive         ? SessionState::active
           : *state == WTSDisconnected ? SessionState::disconnected
                                       : SessionState::other;
}

std::wstring ownPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// What the helper has written so far, without waiting for more. The helper is the session user's own process, which
// that user may make write without end; a whole answer is two short lines.
std::string written(HANDLE pipe) {
    constexpr std::size_t answerCap = 65536;
    std::string text;
    DWORD available = 0;
    while (text.size() < answerCap && ::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) &&
           available > 0) {
        const auto want = static_cast<DWORD>(std::min<std::size_t>(available, answerCap - text.size()));
        std::string chunk(want, '\0');
        DWORD got = 0;
        if (!::ReadFile(pipe, chunk.data(), want, &got, nullptr) || got == 0) {
            break;
        }
        text.append(chunk, 0, got);
    }
    return text;
}

} // namespace

OtherSessions::OtherSessions(std::vector<HeldProcess*>& processes, quellary::RunIdentity run, ULONGLONG deadline,
                             std::wstring helper) {
    // A user's run reaches no other session: it pays nothing here.
    if (processes.empty() || quellary::reachOf(run) == quellary::Reach::OwnSession) {
        return;
    }
    std::vector<std::uint32_t> sessionOf;
    {
        // Reading the session opens the process again: another user's opens only with the privilege on, and it is
        // off again before any helper starts.
        const quellary::DebugPrivilege privilege;
        for (const HeldProcess* process : processes) {
            // A process whose session cannot be read is asked on the tool's own desktop, as every process once was.
            DWORD session = run.session;
            sessionOf.push_back(::ProcessIdToSessionId(process->pid, &session) ? session : run.session);
        }
    }
    for (const SessionGroup& group : otherSessions(run.session, sessionOf)) {
        Helper asking{group.session, {}, {}, {}};
        for (const std::size_t i : group.processes) {
            asking.processes.push_back(processes[i]);
        }
        UnaskedWindows unasked{group.session, static_cast<int>(group.processes.size()),
                               helperChoice(run, group.session, stateOf(group.session)), 0};
        if (unasked.why == Unasked::no) {
            HelperRequest request{deadline - std::min(deadline, answerMarginMs), {}};
            for (const HeldProcess* process : asking.processes) {
                request.processes.push_back({process->pid, creationTime(process->handle.get()).value_or(0)});
            }
            if (helper.empty()) {
                helper = ownPath();
            }
            const std::string arguments = helperArguments(request);
            quellary::SessionProgram started =
                quellary::startInUserSession(group.session, helper, std::wstring(arguments.begin(), arguments.end()));
            if (started.process) {
                asking.process = std::move(started.process);
                asking.output = std::move(started.output);
                helpers_.push_back(std::move(asking));
                continue;
            }
            unasked.why = started.noUser ? Unasked::noUser : Unasked::notStarted;
            unasked.error = started.error;
        }
        unasked_.push_back(unasked);
    }
    std::vector<HeldProcess*> own;
    for (std::size_t i = 0; i < processes.size(); ++i) {
        if (sessionOf[i] == run.session) {
            own.push_back(processes[i]);
        }
    }
    processes = std::move(own);
}

std::vector<HANDLE> OtherSessions::helpers() const {
    std::vector<HANDLE> handles;
    for (const Helper& helper : helpers_) {
        handles.push_back(helper.process.get());
    }
    return handles;
}

void OtherSessions::collect(std::vector<UnaskedWindows>& unasked) {
    for (Helper& helper : helpers_) {
        const std::optional<std::vector<std::uint32_t>> asked = askedIn(written(helper.output.get()));
        if (!asked) {
            unasked_.push_back({helper.session, static_cast<int>(helper.processes.size()), Unasked::noAnswer, 0});
            continue;
        }
        for (HeldProcess* process : helper.processes) {
            process->asked = std::find(asked->begin(), asked->end(), process->pid) != asked->end();
        }
    }
    unasked.insert(unasked.end(), unasked_.begin(), unasked_.end());
    unasked_.clear();
}

std::string askAsHelper(const HelperRequest& request) {
    std::vector<HeldProcess> processes;
    for (const SeenProcess& seen : request.processes) {
        quellary::UniqueHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, seen.pid));
        // A process that ended since the tool's look is not its id's next owner.
        if (process && heldIs(seen.created, creationTime(process.get())) == HeldIs::seen) {
            processes.push_back({seen.pid, std::move(process), false});
        }
    }
    const ULONGLONG now = ::GetTickCount64();
    ClosingChance chance(request.deadline > now ? request.deadline - now : 0);
    chance.give(processes);
    std::vector<std::uint32_t> asked;
    std::vector<std::uint32_t> ended;
    for (const HeldProcess& process : processes) {
        if (process.asked) {
            asked.push_back(process.pid);
            if (hasEnded(process.handle.get())) {
                ended.push_back(process.pid);
            }
        }
    }
    return helperReport(asked, ended);
}

} // namespace endprocx
