// A task's windows in other users' sessions, which the tool cannot reach from its own desktop: a helper started
// there as that user asks them to close, as the tool asks on its own desktop, and says which it asked.
#pragma once

#include "close_windows.h"
#include "session_plan.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace endprocx {

// The helpers for one asking, one in each other session where a process of the task may own windows: each asks its
// session's windows until the deadline (GetTickCount64), and ends as soon as every process it asked has ended.
class OtherSessions {
public:
    // Takes the processes of other sessions out of `processes`; those of the run's own session stay, to be asked
    // on its own desktop. The helper is `helper`, by default this program.
    OtherSessions(std::vector<HeldProcess*>& processes, quellary::RunIdentity run, ULONGLONG deadline,
                  std::wstring helper = {});

    // To wait for beside the processes asked on the tool's own desktop.
    [[nodiscard]] std::vector<HANDLE> helpers() const;

    // Once the helpers have ended or the bound has passed: marks the processes each helper asked, and adds to
    // `unasked` the sessions where nobody asked.
    void collect(std::vector<UnaskedWindows>& unasked);

private:
    struct Helper {
        std::uint32_t session = 0;
        std::vector<HeldProcess*> processes;
        quellary::UniqueHandle process;
        quellary::UniqueHandle output;
    };
    std::vector<Helper> helpers_;
    std::vector<UnaskedWindows> unasked_;
};

// The tool as a helper in a user's session: asks the windows of the processes it was given, waits, and returns
// its report of which it asked and which ended. It ends nothing itself.
[[nodiscard]] std::string askAsHelper(const HelperRequest& request);

} // namespace endprocx
