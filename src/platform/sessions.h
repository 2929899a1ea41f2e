// Which processes a run may end, free of any system call.
#pragma once

#include <cstdint>
#include <optional>

namespace quellary {

struct RunIdentity {
    std::uint32_t session = 0;
    bool localSystem = false; // the LocalSystem account, wherever it runs (an agent may start it in a user's session)
    bool debugPrivilege = false; // the token holds it, switched on or not: an administrator's elevated token does
};

enum class Reach {
    EverySession,
    OwnSession,
    OwnUser, // the run's own user's processes, in whichever session they run
};

// A user's run keeps to its own session: on a terminal server another user's processes are not this user's to
// end. SYSTEM, and an administrator's run in session 0 (a service, a deployment agent), reach every session, as
// a deployment before an update needs. A standard user's run in session 0 (their own task, run whether they are
// logged on or not) reaches their own processes wherever they run: others' it could never end, and counting them
// would leave it "may still run" for ever.
[[nodiscard]] constexpr Reach reachOf(RunIdentity run) {
    if (run.localSystem || (run.session == 0 && run.debugPrivilege)) {
        return Reach::EverySession;
    }
    return run.session == 0 ? Reach::OwnUser : Reach::OwnSession;
}

// `ownUser`: whether the process runs as the run's user, where that is known; without it, OwnUser keeps to the
// run's own session.
[[nodiscard]] constexpr bool withinReach(RunIdentity run, std::uint32_t session, std::optional<bool> ownUser) {
    switch (reachOf(run)) {
    case Reach::EverySession:
        return true;
    case Reach::OwnUser:
        return ownUser.value_or(session == run.session);
    case Reach::OwnSession:
        break;
    }
    return session == run.session;
}

} // namespace quellary
