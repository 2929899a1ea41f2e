// Which sessions' processes a run may end, free of any system call.
#pragma once

#include <cstdint>

namespace quellary {

// A user's run keeps to its own session: on a terminal server another user's processes are not this user's to
// end. A run in session 0 (a service, a deployment agent, a task run whether the user is logged on or not)
// reaches every session, as a deployment before an update needs.
[[nodiscard]] constexpr bool withinReach(std::uint32_t ownSession, std::uint32_t session) {
    return ownSession == 0 || session == ownSession;
}

} // namespace quellary
