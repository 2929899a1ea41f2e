#include "program/run_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quellary;

TEST(RunRecord, BlockShowsEveryOutcomeAndIndentsTextsThatSpanLines) {
    const RunRecord record{"2026-12-07T16:41:00-05:00",
                           "C:\\Q\\quellary.exe",
                           "C:\\Q\\quellary.ini",
                           false,
                           "",
                           {{"cvagent.exe", TaskOutcome::Terminated, ""},
                            {"cvwin.exe", TaskOutcome::Terminated, "1 closed when asked, 2 forced"},
                            {"cvmail.exe", TaskOutcome::NotRunning, ""},
                            {"", TaskOutcome::MayStillRun, "no verdict\nfrom the tool"},
                            {"cv*.exe", TaskOutcome::Unusable, "holds the wildcard *"},
                            {"cvtray.exe", TaskOutcome::Unticked, ""}},
                           {"C:\\P\\cvnew.exe", "C:\\P\\cvguarded.exe"},
                           {"C:\\P\\cvguarded.exe"},
                           "Error       : 53\r\n=== run 1\r\n\r\nDescription : File not found\r\n"};
    EXPECT_EQ(formatRunRecord(record), "=== run 2026-12-07T16:41:00-05:00 ===\r\n"
                                       "program:     C:\\Q\\quellary.exe\r\n"
                                       "task list:   C:\\Q\\quellary.ini\r\n"
                                       "mode:        interactive\r\n"
                                       "result file: (none)\r\n"
                                       "task cvagent.exe: terminated\r\n"
                                       "task cvwin.exe: terminated (1 closed when asked, 2 forced)\r\n"
                                       "task cvmail.exe: not running\r\n"
                                       "task (empty name): may still be running (no verdict\r\n"
                                       "             from the tool)\r\n"
                                       "task cv*.exe: not a program name (holds the wildcard *)\r\n"
                                       "task cvtray.exe: left running (unticked)\r\n"
                                       "unlisted program C:\\P\\cvnew.exe: left running\r\n"
                                       "unlisted program C:\\P\\cvguarded.exe: left running (a process of its "
                                       "name runs whose path could not be read)\r\n"
                                       "ended:       Error       : 53\r\n"
                                       "             === run 1\r\n"
                                       "             \r\n"
                                       "             Description : File not found\r\n"
                                       "\r\n");
}

TEST(RunRecord, LogIsCutByWholeOldestBlocks) {
    const std::string a = "=== run a ===\r\nended:       1\r\n\r\n";
    const std::string b = "=== run b ===\r\nended:       2\r\n             === run x\r\n\r\n";
    const std::string n = "=== run n ===\r\nended:       3\r\n\r\n";
    const std::string junk = "notes by hand\r\n=== run\r\n";
    struct Case {
        const char* what;
        std::string existing;
        std::size_t cap;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"under the cap", a + b, 1000, a + b + n},
        {"exactly the cap", a + b, (a + b + n).size(), a + b + n},
        {"one byte over", a + b, (a + b + n).size() - 1, b + n},
        {"only the newest fits", a + b, (b + n).size() - 1, n},
        {"newest alone over the cap", a + b, 5, n},
        {"text before the first block goes first", junk + a + b, (a + b + n).size(), a + b + n},
        {"text before the first block kept under the cap", junk + a, 1000, junk + a + n},
        {"no line break at the end", "notes by hand", 1000, "notes by hand\r\n" + n},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(appendWithinCap(c.existing, n, c.cap), c.expected) << c.what;
    }
}
