// Windows in other sessions: which sessions a helper started there asks, what is said where none can, and what the
// tool and its helper tell each other. Free of Windows.
#pragma once

#include "platform/sessions.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace endprocx {

// A session as the terminal services report it; "other" covers a state that cannot be read.
enum class SessionState { active, disconnected, other };

// Why the windows of a session were not asked to close.
enum class Unasked {
    no,           // a helper may ask them
    notSystem,    // only LocalSystem may take a session's user token
    noUser,       // nobody is logged on there, or the session has no user's desktop (session 0)
    disconnected, // its user is not there to answer a question before the window closes
    notStarted,   // the helper could not start (no token, a policy)
    noAnswer,     // the helper did not say in time what it asked
};

[[nodiscard]] Unasked helperChoice(quellary::RunIdentity run, std::uint32_t session, SessionState state) noexcept;

struct SessionGroup {
    std::uint32_t session = 0;
    std::vector<std::size_t> processes; // positions in the list the sessions were given in
};

// The sessions other than the run's own, each with its processes, in the order they first appear. The run's own
// session is asked by the tool itself, on its own desktop.
[[nodiscard]] std::vector<SessionGroup> otherSessions(std::uint32_t ownSession,
                                                      const std::vector<std::uint32_t>& sessionOfEach);

// The processes of a session whose windows, where they have any, were forced without a chance to close.
struct UnaskedWindows {
    std::uint32_t session = 0;
    int processes = 0;
    Unasked why = Unasked::notStarted;
    unsigned long error = 0; // the system error where the helper could not start
};

// ", 2 in session 3 not asked: its user is disconnected" for each, to stand in the tool's summary.
[[nodiscard]] std::string unaskedText(const std::vector<UnaskedWindows>& sessions);

// A process as the tool saw it: its id with its creation time, so that the helper never asks a newcomer that got
// the id.
struct SeenProcess {
    std::uint32_t pid = 0;
    std::uint64_t created = 0;
};

struct HelperRequest {
    std::uint64_t deadline = 0; // GetTickCount64, which counts alike in every session
    std::vector<SeenProcess> processes;
};

// What the tool hands its helper after its own program token. No task list entry can begin so: "/" is held by
// no file name, and such an entry is never handed to the tool.
[[nodiscard]] std::string helperArguments(const HelperRequest& request);
// The request from the task name the tool read from its command line; nothing when it is a task's name.
[[nodiscard]] std::optional<HelperRequest> helperRequest(std::string_view taskName);

// The helper's answer: the processes it asked, then those of them that ended within the bound.
[[nodiscard]] std::string helperReport(const std::vector<std::uint32_t>& asked,
                                       const std::vector<std::uint32_t>& ended);
// Nothing when the answer is not whole.
[[nodiscard]] std::optional<std::vector<std::uint32_t>> askedIn(std::string_view report);

} // namespace endprocx
