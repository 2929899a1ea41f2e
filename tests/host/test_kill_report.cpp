#include "kill_report.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

using namespace endprocx;

namespace {

bool endsWith(std::string_view text, std::string_view word) {
    return text.ends_with(word);
}

testing::AssertionResult hasVerdict(const Report& r, std::string_view word) {
    if (r.line1.find_first_of("\r\n") != std::string::npos || r.line2.find_first_of("\r\n") != std::string::npos) {
        return testing::AssertionFailure() << "a line break inside a line: " << r.text();
    }
    const bool killed = endsWith(r.line2, "Killed");
    const bool found = endsWith(r.line2, "found");
    if (word == "Killed" ? (killed && !found) : word == "found" ? (found && !killed) : (!killed && !found)) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "line 2 \"" << r.line2 << "\", expected verdict \""
                                       << (word.empty() ? "neither word" : word) << "\"";
}

} // namespace

TEST(TaskNameFromCommandLine, TakesWhatTheInterpreterLeaves) {
    struct Case {
        std::string_view commandLine;
        std::string_view name;
    };
    // The first cases are exactly what the interpreter hands over for "cmd /c endprocx.exe <name> > file".
    const Case cases[] = {
        {"endprocx.exe cvtesta.exe ", "cvtesta.exe"},
        {"endprocx.exe cv test b.exe ", "cv test b.exe"},
        {"endprocx.exe   two  blanks .exe   ", "two  blanks .exe"},
        {"endprocx.exe \"cv&x%y.exe\" ", "cv&x%y.exe"},
        {"endprocx.exe \"cv test b.exe\" ", "cv test b.exe"},
        {"endprocx.exe \"a b\" c.exe ", "\"a b\" c.exe"},
        {"endprocx.exe cv\"x.exe ", "cv\"x.exe"},
        {"endprocx.exe \"cv\"x.exe\" ", "cv\"x.exe"},
        {"endprocx.exe a\\b.exe", "a\\b.exe"},
        {"endprocx.exe\tcv.exe\t", "cv.exe"},
        {"\"C:\\Program Files\\q\\endprocx.exe\" cv.exe ", "cv.exe"},
        {"\"C:\\dir\\endprocx.exe\"cv.exe", "cv.exe"},
        {"C:\\windows\\endprocx.exe cv.exe", "cv.exe"},
        {"endprocx.exe ", ""},
        {"endprocx.exe", ""},
        {"endprocx.exe \"\" ", ""},
        {"\"endprocx.exe", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(taskNameFromCommandLine(c.commandLine), c.name) << "command line [" << c.commandLine << "]";
    }
}

TEST(SameImageName, ExactButForAsciiCase) {
    EXPECT_TRUE(sameImageName("CvTestA.exe", "cvtesta.exe"));
    EXPECT_TRUE(sameImageName("CV TEST B.EXE", "cv test b.exe"));
    EXPECT_TRUE(sameImageName("cv&x%y.exe", "CV&X%Y.EXE"));
    EXPECT_FALSE(sameImageName("cvtesta.exe", "cvtesta"));
    EXPECT_FALSE(sameImageName("cvtesta.exe", "cvtesta.exe.exe"));
    EXPECT_FALSE(sameImageName("cvtesta.exe", "vtesta.exe"));
    EXPECT_FALSE(sameImageName("cvtesta.exe", "cvtest?.exe"));
    EXPECT_FALSE(sameImageName("cvtesta.exe", "*.exe"));
    EXPECT_FALSE(sameImageName("cvtesta.exe", "cvtesta.exe "));
    EXPECT_FALSE(sameImageName("two blanks.exe", "two  blanks.exe"));
    // Only A-Z fold: '[' and '{' lie next to the letters, and other code-page bytes stay as they are.
    EXPECT_FALSE(sameImageName("a[.exe", "a{.exe"));
    EXPECT_FALSE(sameImageName("\xC4.exe", "\xE4.exe"));
    EXPECT_TRUE(sameImageName("\xC4.exe", "\xC4.EXE"));
}

TEST(SelectTargets, SparesItselfItsCallersAndTheSystem) {
    const std::vector<ProcessEntry> processes = {
        {0, 0, "[System Process]"},   {4, 0, "System"},        {600, 4, "services.exe"},     {700, 600, "svchost.exe"},
        {1000, 900, "quellary.exe"},  // the program that asked; its own parent has gone
        {1100, 1000, "cmd.exe"},      // the interpreter that started the tool
        {1200, 1100, "endprocx.exe"}, // the tool itself
        {1300, 1000, "CvTask.exe"},   {1301, 1, "cvtask.EXE"}, {1400, 1100, "endprocx.exe"}, // another copy of the tool
        {1500, 1, "cmd.exe"}, // someone else's interpreter
    };
    const auto kinds = [&](std::string_view name) {
        std::vector<std::pair<std::uint32_t, TargetKind>> out;
        const auto named = [&](const ProcessEntry& p) {
            return p.pid == 1301 && name == "unreadable" ? quellary::Match::Unconfirmed
                   : sameImageName(p.imageName, name)    ? quellary::Match::Yes
                                                         : quellary::Match::No;
        };
        for (const Target& t : selectTargets(processes, named, 1200)) {
            out.emplace_back(t.pid, t.kind);
        }
        return out;
    };
    using K = TargetKind;
    using V = std::vector<std::pair<std::uint32_t, TargetKind>>;
    EXPECT_EQ(kinds("cvtask.exe"), (V{{1300, K::kill}, {1301, K::kill}}));
    EXPECT_EQ(kinds("endprocx.exe"), (V{{1400, K::kill}}));
    EXPECT_EQ(kinds("cmd.exe"), (V{{1100, K::caller}, {1500, K::kill}}));
    EXPECT_EQ(kinds("QUELLARY.EXE"), (V{{1000, K::caller}}));
    EXPECT_EQ(kinds("services.exe"), (V{{600, K::system}}));
    EXPECT_EQ(kinds("SvcHost.exe"), (V{{700, K::system}}));
    EXPECT_EQ(kinds("system"), (V{{4, K::system}}));
    EXPECT_EQ(kinds("[System Process]"), (V{{0, K::system}}));
    EXPECT_EQ(kinds("unreadable"), (V{{1301, K::unconfirmed}}));
    EXPECT_EQ(kinds("notthere.exe"), V{});
    EXPECT_EQ(kinds(""), V{});
}

// The system hands an ended process's id to the next one: only the creation time tells them apart.
TEST(ReusedIds, TellTheProcessSeenFromALaterOneOnlyByTheirCreationTimes) {
    EXPECT_EQ(heldIs(500, 500), HeldIs::seen);
    EXPECT_EQ(heldIs(500, 900), HeldIs::another);
    EXPECT_EQ(heldIs(500, std::nullopt), HeldIs::unknown);
    EXPECT_EQ(heldIs(0, 500), HeldIs::unknown);
    EXPECT_EQ(heldIs(500, 0), HeldIs::unknown);

    Handled handled;
    EXPECT_TRUE(handled.first({1300, 500, TargetKind::kill}));
    EXPECT_FALSE(handled.first({1300, 500, TargetKind::kill})) << "one process, seen again by a later round";
    EXPECT_TRUE(handled.first({1300, 900, TargetKind::kill})) << "a newcomer with an ended process's id";
}

TEST(SelectTargets, ProtectsPidsZeroAndFourWhateverTheirName) {
    EXPECT_TRUE(isSystemProcess(0, "x.exe"));
    EXPECT_TRUE(isSystemProcess(4, "x.exe"));
    for (std::string_view name : {"csrss.exe", "SMSS.EXE", "wininit.exe", "winlogon.exe", "lsass.exe", "Registry"}) {
        EXPECT_TRUE(isSystemProcess(1234, name)) << name;
    }
    EXPECT_FALSE(isSystemProcess(8, "cvtask.exe"));
    EXPECT_FALSE(isSystemProcess(8, "svchost"));
}

TEST(CallerChain, FollowsParentsAndStopsAtLoopsGapsAndNewerProcesses) {
    // Ids 10 and 20 name each other as parents: a reused id. The walk must end.
    const std::vector<ProcessEntry> loop = {{10, 20, "a.exe"}, {20, 10, "b.exe"}, {30, 10, "tool.exe"}};
    EXPECT_EQ(callerChain(30, loop), (std::vector<std::uint32_t>{10, 20}));
    const std::vector<ProcessEntry> selfLoop = {{30, 30, "tool.exe"}};
    EXPECT_TRUE(callerChain(30, selfLoop).empty());
    // A parent missing from the list still counts by its id; the walk stops there.
    const std::vector<ProcessEntry> gap = {{30, 25, "tool.exe"}, {40, 30, "child.exe"}};
    EXPECT_EQ(callerChain(30, gap), (std::vector<std::uint32_t>{25}));
    EXPECT_TRUE(callerChain(99, gap).empty());
    // Creation times: earlier, equal and unknown (0) are followed. 5 was created after 15, the nearest process below
    // it with a known time, so it holds the id of an ended ancestor: neither it nor 1 above it is a caller.
    const std::vector<ProcessEntry> reused = {
        {1, 0, "a.exe", 50},    {5, 1, "b.exe", 250},     {10, 5, "c.exe", 0},      {15, 10, "d.exe", 200},
        {20, 15, "e.exe", 200}, {25, 20, "cmd.exe", 300}, {30, 25, "tool.exe", 400}};
    EXPECT_EQ(callerChain(30, reused), (std::vector<std::uint32_t>{25, 20, 15, 10}));
}

TEST(ReportFor, VerdictWordFollowsTheCounts) {
    struct Case {
        KillCounts counts;
        std::string_view verdict;
        int exitCode;
    };
    const Case cases[] = {
        {{}, "found", exitDone},
        {{.ended = 1}, "Killed", exitDone},
        {{.ended = 70}, "Killed", exitDone},
        {{.refused = 1}, "", exitNotTerminated},
        {{.denied = 1}, "", exitNotTerminated},
        {{.stillRunning = 1}, "", exitNotTerminated},
        {{.failed = 1}, "", exitNotTerminated},
        {{.ended = 2, .denied = 1}, "", exitNotTerminated},
        {{.ended = 1, .refused = 1, .denied = 1, .stillRunning = 1, .failed = 1}, "", exitNotTerminated},
    };
    // Names that end in, or consist of, the verdict words must not leak into the verdict.
    for (std::string_view name : {"cvtesta.exe", "Killed", "found", "x Killed", "not found"}) {
        for (const Case& c : cases) {
            const Report r = reportFor(name, c.counts);
            EXPECT_TRUE(hasVerdict(r, c.verdict)) << "name " << name << ", found " << c.counts.found();
            EXPECT_EQ(r.exitCode, c.exitCode) << r.text();
            EXPECT_NE(r.line1.find(name), std::string::npos) << r.line1;
        }
    }
}

TEST(ReportFor, SaysHowManyAndWhyNot) {
    const Report partial = reportFor("cv.exe", {.ended = 2, .refused = 1, .denied = 3, .stillRunning = 1});
    EXPECT_EQ(partial.line2,
              "Process \"cv.exe\": 5 of 7 not terminated (protected 1, access denied 3, still running 1)");
    EXPECT_NE(partial.line1.find("7 running, 2 terminated, 5 not terminated"), std::string::npos) << partial.line1;
    EXPECT_EQ(reportFor("cv.exe", {.ended = 3}).line2, "Process \"cv.exe\": 3 of 3 Killed");

    // Closing is told only where windows were asked to close; the verdict line stays as it was.
    const Report closed = reportFor("cv.exe", {.ended = 3, .askedToClose = 2, .closed = 1});
    EXPECT_EQ(closed.line1, "endprocx: \"cv.exe\": 3 running, 3 terminated; 1 closed when asked, 2 forced");
    EXPECT_EQ(closed.line2, "Process \"cv.exe\": 3 of 3 Killed");
    EXPECT_TRUE(reportFor("cv.exe", {.ended = 1, .stillRunning = 1, .askedToClose = 1})
                    .line1.ends_with("1 not terminated; 0 closed when asked, 1 forced"));
    // Windows in another session that nobody could ask are told even where nothing else was asked.
    const Report unasked = reportFor(
        "cv.exe", {.ended = 3, .unasked = {{3, 2, Unasked::disconnected, 0}, {4, 1, Unasked::notStarted, 1260}}});
    EXPECT_EQ(unasked.line1, "endprocx: \"cv.exe\": 3 running, 3 terminated; 0 closed when asked, 3 forced, 2 in "
                             "session 3 not asked: its user is disconnected, 1 in session 4 not asked: no helper could "
                             "start there, system error 1260");
}

TEST(ReportFor, KeepsTwoLinesWhateverTheName) {
    const Report r = reportFor("a\r\nb\tc\x7F.exe", {.ended = 1});
    EXPECT_EQ(r.text(),
              "endprocx: \"a??b?c?.exe\": 1 running, 1 terminated\r\nProcess \"a??b?c?.exe\": 1 of 1 Killed\r\n");
    EXPECT_TRUE(hasVerdict(failureReport("found", "out of memory"), ""));
    EXPECT_TRUE(hasVerdict(failureReport("x", "bad\r\nreason found"), ""));
    EXPECT_EQ(failureReport("x", "out of memory").exitCode, exitFailure);
}

TEST(UsageReport, NoNameIsFoundNowhereButStillAUsageExit) {
    const Report r = usageReport();
    EXPECT_TRUE(hasVerdict(r, "found"));
    EXPECT_FALSE(r.line1.empty());
    EXPECT_FALSE(r.line2.empty());
    EXPECT_NE(r.exitCode, exitDone);
}
