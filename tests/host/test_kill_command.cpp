#include "termination/kill_command.h"
#include "termination/prune.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace quellary {

// Steps by name in failure messages.
void PrintTo(PrunePhase phase, std::ostream* out) {
    constexpr const char* names[] = {"Top", "Tick", "Bound"};
    *out << names[static_cast<int>(phase)];
}

} // namespace quellary

using namespace quellary;

TEST(KillCommand, PrefixFollowsTheFamilyExactly) {
    EXPECT_EQ(commandPrefix("NT"), "cmd /d /c endprocx.exe ");
    for (const char* family : {"95", "", "nt", "NT "}) {
        EXPECT_EQ(commandPrefix(family), "command.com /c endprocx.exe ") << family;
    }
}

TEST(KillCommand, AResultFileWithBlanksIsQuoted) {
    EXPECT_EQ(killCommandLine("NT", "", "cv mail.exe", "C:\\Users\\A B\\Temp\\killed.lst"),
              "cmd /d /c endprocx.exe cv mail.exe > \"C:\\Users\\A B\\Temp\\killed.lst\"");
    EXPECT_TRUE(needsDirectStart("C:\\Users\\A&B\\Temp\\killed.lst"));
    EXPECT_TRUE(needsDirectStart("C:\\Users\\%X%\\Temp\\killed.lst"));
}

TEST(KillCommand, AToolBesideTheProgramIsNamedByItsPathWithinOneMorePairOfQuotes) {
    const std::string tool = "C:\\Program Files\\Quellary\\endprocx.exe";
    EXPECT_EQ(killCommandLine("NT", tool, "cv mail.exe", "C:\\Users\\A B\\Temp\\killed.lst"),
              "cmd /d /c \"\"" + tool + "\" cv mail.exe > \"C:\\Users\\A B\\Temp\\killed.lst\"\"");
    EXPECT_EQ(killCommandLine("NT", tool, "", "C:\\killed.lst"), "cmd /d /c \"\"" + tool + "\"  > C:\\killed.lst\"");
}

TEST(KillCommand, TaskNameGoesInVerbatim) {
    EXPECT_EQ(killCommandLine("NT", "", "cvmail.exe", "C:\\killed.lst"),
              "cmd /d /c endprocx.exe cvmail.exe > C:\\killed.lst");
    EXPECT_EQ(killCommandLine("NT", "", "", "C:\\killed.lst"), "cmd /d /c endprocx.exe  > C:\\killed.lst");
    EXPECT_EQ(killCommandLine("NT", "", "cv mail.exe ", "C:\\killed.lst"),
              "cmd /d /c endprocx.exe cv mail.exe  > C:\\killed.lst");
}

TEST(KillCommand, NamesTheInterpreterWouldTakeApartBypassIt) {
    for (const char* plain : {"cvmail.exe", "cv mail.exe", "", "CvTray.EXE", "a-b_c.1.exe", "~x$.exe"}) {
        EXPECT_FALSE(needsDirectStart(plain)) << plain;
    }
    for (const char* special :
         {"a&b.exe", "a|b", "a<b", "a>b", "a^b", "a(b", "a)b", "@a", "%windir%", "a!b", "\"a\"", "a\tb", "a\nb"}) {
        EXPECT_TRUE(needsDirectStart(special)) << special;
    }
}

TEST(KillCommand, VerdictIsTheLastWordExactly) {
    EXPECT_EQ(judge("Process cvmail.exe Killed"), Verdict::Killed);
    EXPECT_EQ(judge("Killed"), Verdict::Killed);
    EXPECT_EQ(judge("Process cvmail.exe not found"), Verdict::NotFound);
    EXPECT_EQ(judge("found"), Verdict::NotFound);
    for (const char* other : {"", "killed", "Killed.", "Killed ", "Found", "found ", "illed", "ound", "Killed\r"}) {
        EXPECT_EQ(judge(other), Verdict::Unrecognised) << '"' << other << '"';
    }
}

TEST(KillCommand, VerdictLineIsTheSecondLine) {
    EXPECT_EQ(verdictLine("summary\r\nProcess x not found\r\n"), "Process x not found");
    EXPECT_EQ(verdictLine("summary\r\nKilled"), "Killed");
    EXPECT_EQ(verdictLine("summary\nKilled\nmore\n"), "Killed");
    EXPECT_EQ(verdictLine("\r\n\r\n"), "");
    EXPECT_FALSE(verdictLine(""));
    EXPECT_FALSE(verdictLine("summary only"));
    EXPECT_FALSE(verdictLine("summary only\r\n"));
}

TEST(KillCommand, ClosingIsTheSummarysLastPartWhateverTheName) {
    EXPECT_EQ(closingOf("endprocx: \"cv; 9 forced\": 2 running, 2 terminated; 1 closed when asked, 1 forced\r\n"
                        "Process \"cv; 9 forced\": 2 of 2 Killed\r\n"),
              "1 closed when asked, 1 forced");
    EXPECT_EQ(
        closingOf("endprocx: \"cv; 9 forced\": 1 running, 1 terminated\r\nProcess \"cv; 9 forced\": 1 of 1 Killed"),
        "");
    EXPECT_EQ(closingOf(""), "");
    EXPECT_EQ(closingOf("endprocx: \"cv; 1 closed when asked, 0 forced\": 1 running, 1 terminated\r\n"), "");
    EXPECT_EQ(closingOf("endprocx: \"cv.exe\": 2 running, 2 terminated; 0 closed when asked, 2 forced, 2 in session 3 "
                        "not asked: its user is disconnected\r\n"),
              "0 closed when asked, 2 forced, 2 in session 3 not asked: its user is disconnected");
}

TEST(KillCommand, EitherPolicyValueButZeroMeansTheDirectStart) {
    EXPECT_FALSE(promptDisabledBy({}, {}));
    EXPECT_FALSE(promptDisabledBy(0, 0));
    EXPECT_TRUE(promptDisabledBy(1, {}));
    EXPECT_TRUE(promptDisabledBy({}, 2));
    EXPECT_TRUE(promptDisabledBy(3, 0)) << "any value but 0";
}

TEST(KillCommand, AnInterpreterTheMachinesRulesRefuseLeavesTheToolToBeStartedByItsQuotedPath) {
    EXPECT_TRUE(interpreterRefused(5));
    EXPECT_TRUE(interpreterRefused(1260)) << "AppLocker and software restriction policies";
    EXPECT_TRUE(interpreterRefused(4551)) << "application control";
    EXPECT_TRUE(interpreterRefused(4559)) << "application control's reputation check offline";
    for (const unsigned long other : {0ul, 2ul, 3ul, 193ul, 4560ul}) {
        EXPECT_FALSE(interpreterRefused(other)) << other;
    }
    EXPECT_EQ(directCommandLine("C:\\Program Files\\Quellary\\endprocx.exe", "a&b c.exe"),
              "\"C:\\Program Files\\Quellary\\endprocx.exe\" a&b c.exe");
}

TEST(KillCommand, Messages) {
    EXPECT_EQ(startFailureMessage("cmd /c endprocx.exe a > C:\\killed.lst"),
              "Failed to activate endprocx.exe...\r\nTry running program manually with\r\n"
              "    Click Start... Run... cmd /c endprocx.exe a > C:\\killed.lst...[ENTER]\r\n"
              "Reinstall Quellary if this fails to run");
    EXPECT_EQ(errorReportMessage(53, 100, "File not found"),
              "Error       : 53\r\nLine Number : 100\r\nDescription : File not found");
    EXPECT_EQ(unconfirmedMessage({}), "");
    EXPECT_EQ(unconfirmedMessage({{"a.exe", "Access is denied"}, {"", "no verdict"}}),
              "These tasks may still be running:\r\n    a.exe: Access is denied\r\n    (empty name): no verdict");
}

namespace {

// The check-box list's rules for the current item, as the real list keeps them.
struct FakeList {
    std::vector<std::pair<std::string, bool>> items;
    int selected = -1;
    std::vector<std::string> removed;
    std::string failing; // the one operation that fails, as a real list's can ("count", "isTicked", ...)

    void mayFail(const char* operation) const {
        if (failing == operation) {
            throw std::runtime_error(operation);
        }
    }
    [[nodiscard]] int count() const {
        mayFail("count");
        return static_cast<int>(items.size());
    }
    [[nodiscard]] bool isTicked(int i) const {
        mayFail("isTicked");
        return items.at(static_cast<std::size_t>(i)).second;
    }
    [[nodiscard]] int current() const {
        mayFail("current");
        return selected;
    }
    void remove(int i) {
        mayFail("remove");
        removed.push_back(items.at(static_cast<std::size_t>(i)).first);
        items.erase(items.begin() + i);
        if (i == selected) {
            selected = -1;
        } else if (i < selected) {
            --selected;
        }
    }
    [[nodiscard]] std::vector<std::string> names() const {
        std::vector<std::string> n;
        for (const auto& item : items) {
            n.push_back(item.first);
        }
        return n;
    }
};

PruneOutcome prune(FakeList& list) {
    return quellary::prune(list, [](PrunePhase) {});
}

FakeList listOf(const std::string& ticks, int selected) {
    FakeList list;
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        list.items.emplace_back(std::string(1, static_cast<char>('a' + i)), ticks[i] == 'x');
    }
    list.selected = selected;
    return list;
}

} // namespace

TEST(Prune, RemovesEveryUntickedItemWhenTheLastIsCurrent) {
    FakeList list = listOf("x.x..x", 5);
    EXPECT_EQ(prune(list), PruneOutcome::Done);
    EXPECT_EQ(list.names(), (std::vector<std::string>{"a", "c", "f"}));
    EXPECT_EQ(list.current(), 2) << "the same item stays current";
}

TEST(Prune, AllUntickedLeavesAnEmptyList) {
    FakeList list = listOf("....", 3);
    EXPECT_EQ(prune(list), PruneOutcome::ListEmpty);
    EXPECT_EQ(list.count(), 0);
    FakeList empty;
    EXPECT_EQ(prune(empty), PruneOutcome::ListEmpty);
}

TEST(Prune, RemovingTheCurrentItemEndsAtTheNextTickedOne) {
    // The last item is current and unticked: once it goes there is no current item, and the pass stops at
    // the first ticked item it meets, everything above having been examined already.
    FakeList list = listOf("x.x.", 3);
    EXPECT_EQ(prune(list), PruneOutcome::Done);
    EXPECT_EQ(list.names(), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(list.current(), -1);
}

TEST(Prune, ACurrentItemMovedUpBoundsThePass) {
    FakeList list = listOf("x.x..", 2);
    EXPECT_EQ(prune(list), PruneOutcome::Done);
    EXPECT_EQ(list.names(), (std::vector<std::string>{"a", "c", "d", "e"})) << "items below the current one stay";
}

TEST(Prune, AFailureIsToldByTheStepItHappenedIn) {
    // The error report names the step announced last: each operation of the list fails in turn.
    const std::pair<const char*, PrunePhase> cases[] = {
        {"count", PrunePhase::Top},
        {"isTicked", PrunePhase::Tick},
        {"remove", PrunePhase::Tick},
        {"current", PrunePhase::Bound},
    };
    for (const auto& [operation, step] : cases) {
        SCOPED_TRACE(operation);
        FakeList list = listOf("x.x", 2);
        list.failing = operation;
        std::optional<PrunePhase> last;
        EXPECT_THROW(quellary::prune(list, [&last](PrunePhase phase) { last = phase; }), std::runtime_error);
        EXPECT_EQ(last, step);
    }
}
