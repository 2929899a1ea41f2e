#include "program/app_info.h"
#include "termination/run_outcome.h"

#include <gtest/gtest.h>

using namespace quellary;

namespace {

RunRecord recordOf(std::vector<TaskOutcome> outcomes, bool unlisted = false) {
    RunRecord record;
    for (const TaskOutcome outcome : outcomes) {
        record.tasks.push_back({"cv.exe", outcome, {}});
    }
    if (unlisted) {
        record.unlistedLeftRunning.push_back("C:\\Corvana\\cvlink.exe");
    }
    return record;
}

} // namespace

// A check and a run take their exit codes from the record alike, so that CHECK says what START would have to do.
TEST(RunOutcome, ExitCodeAndTheNoneActiveBoxFollowTheRecord) {
    using enum TaskOutcome;
    const struct {
        std::vector<TaskOutcome> tasks;
        bool unlisted;
        int exitCode;
        bool noneActive;
    } cases[] = {
        {{NotRunning, NotRunning}, false, exitDone, true},
        {{NotRunning, Terminated}, false, exitDone, false},
        {{NotRunning, Unticked}, false, exitDone, false},
        {{NotRunning, MayStillRun}, false, exitTasksMayRun, false},
        {{NotRunning, Running}, false, exitTasksMayRun, false},
        {{NotRunning, Unusable}, false, exitTasksMayRun, true},
        {{Unusable}, false, exitTasksMayRun, false},
        {{Unusable}, true, exitTasksMayRun, false},
        {{NotRunning}, true, exitUnlistedRun, true},
        {{}, false, exitDone, false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE("case " + std::to_string(i));
        const RunRecord record = recordOf(c.tasks, c.unlisted);
        EXPECT_EQ(exitCodeFor(record), c.exitCode);
        EXPECT_EQ(noneWasActive(record.tasks), c.noneActive);
    }
}
