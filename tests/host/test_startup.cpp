#include "program/app_info.h"
#include "app/startup.h"
#include "app/usage.h"

#include <gtest/gtest.h>

using namespace quellary;

TEST(Startup, CaptionCarriesThePlainVersion) {
    EXPECT_EQ(versionText(), "3.1.0");
    EXPECT_EQ(mainCaption(), "Veyra's Quellary - Version 3.1.0");
}

TEST(Startup, DirectoriesGetOneTrailingBackslash) {
    EXPECT_EQ(withTrailingBackslash("C:\\WINDOWS"), "C:\\WINDOWS\\");
    EXPECT_EQ(withTrailingBackslash("C:\\WINDOWS\\"), "C:\\WINDOWS\\");
    EXPECT_EQ(withTrailingBackslash("C:\\"), "C:\\");
}

TEST(Startup, StartAndCheckArgumentsAreTheWordAloneInAnyCase) {
    EXPECT_TRUE(isCheckArgument(" Check "));
    EXPECT_FALSE(isCheckArgument("START"));
    EXPECT_FALSE(isStartArgument("CHECK"));
    EXPECT_FALSE(isCheckArgument("/check"));
    EXPECT_TRUE(isStartArgument("START"));
    EXPECT_TRUE(isStartArgument("  start  "));
    EXPECT_TRUE(isStartArgument("StArT"));
    for (const char* other : {"", "   ", "/start", "start now", "starts", "-START", "\tSTART", "STAR"}) {
        EXPECT_FALSE(isStartArgument(other)) << '"' << other << '"';
    }
}

TEST(Startup, HelpIsAskedForBySlashOrDashQuestionMarkOrSlashHelp) {
    for (const char* ask : {"/?", "-?", "  /?  ", "/help", "/HELP", " /Help "}) {
        EXPECT_TRUE(isHelpArgument(ask)) << '"' << ask << '"';
    }
    for (const char* other : {"", "?", "/", "/??", "/? START", "START /?", "help", "-help", "/helps", "\t/?"}) {
        EXPECT_FALSE(isHelpArgument(other)) << '"' << other << '"';
    }
    const std::string usage = usageText("C:\\Users\\Zo\xC3\xAB\\AppData\\Local\\Quellary\\quellary.log");
    for (const char* part : {"START ", "CHECK ", "\r\n0  ", "\r\n1  ", "\r\n2  ", "\r\n3  ",
                             "\r\nC:\\Users\\Zo\xC3\xAB\\AppData\\Local\\Quellary\\quellary.log"}) {
        EXPECT_NE(usage.find(part), std::string::npos) << part;
    }
}

TEST(Startup, OnlyAnUnattendedRunNobodySeesAndAnyRunInSessionZeroShowNoBoxes) {
    EXPECT_TRUE(boxesCanBeSeen(false, true, false));
    EXPECT_TRUE(boxesCanBeSeen(false, false, false)) << "a user who started it by hand answers its boxes";
    EXPECT_TRUE(boxesCanBeSeen(true, true, false));
    EXPECT_FALSE(boxesCanBeSeen(true, false, false));
    for (const bool unattended : {false, true}) {
        EXPECT_FALSE(boxesCanBeSeen(unattended, true, true)) << "session 0's desktop is seen by nobody";
    }
}

TEST(Startup, PlatformCodesChooseTheFamily) {
    EXPECT_EQ(osFamilyFor(1), "95");
    EXPECT_EQ(osFamilyFor(2), "NT");
    EXPECT_EQ(osFamilyFor(3), "");
    EXPECT_EQ(osFamilyFor(-1), "");
}

TEST(Startup, KillToolMessageRunsTheDirectoryIntoTheWord) {
    const MessageText m = killToolMissingMessage("C:\\WINDOWS\\", "C:\\TOOLS\\");
    EXPECT_EQ(m.prompt, "A required program, endprocx.exe, was not found in the C:\\WINDOWS\\\r\n"
                        "directory or in the C:\\TOOLS\\directory.\r\n"
                        "You need to reinstall Quellary to correct this problem.");
    EXPECT_EQ(m.title, "");
}

TEST(Startup, TaskListProblemsNameTheFile) {
    EXPECT_FALSE(taskListProblem("C:\\Q\\quellary.ini", 3, 1));
    for (std::size_t items : {0u, 1u, 2u}) {
        const auto problem = taskListProblem("C:\\Q\\quellary.ini", items, 0);
        ASSERT_TRUE(problem);
        EXPECT_NE(problem->prompt.find("C:\\Q\\quellary.ini"), std::string::npos);
        EXPECT_NE(problem->prompt.find("lists no task"), std::string::npos);
    }
    EXPECT_FALSE(taskListProblem("x", maxListedEntries + 2, maxListedEntries));
    const auto tooMany = taskListProblem("x", maxListedEntries + 3, maxListedEntries + 1);
    ASSERT_TRUE(tooMany);
    EXPECT_NE(tooMany->prompt.find("32768"), std::string::npos);
}
