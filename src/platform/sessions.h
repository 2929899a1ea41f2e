// Which sessions' processes a run may end, free of any system call.
#pragma once

#include <cstdint>

namespace quellary {

// Who the run is, as far as its reach goes.
struct RunIdentity {
    std::uint32_t session = 0;
    bool localSystem = false; // the LocalSystem account, wherever it runs (an agent may start it in a user's session)
};

// A user's run keeps to its own session: on a terminal server another user's processes are not this user's to
// end. A run in session 0 (a service, a deployment agent, a task run whether the user is logged on or not) and a
// run as LocalSystem reach every session, as a deployment before an update needs.
[[nodiscard]] constexpr bool withinReach(RunIdentity run, std::uint32_t session) {
    return run.localSystem || run.session == 0 || session == run.session;
}

} // namespace quellary
