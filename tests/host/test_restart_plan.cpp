// The Restart command's decisions: the lock file path and how the client's program is started.
#include "restart/restart_plan.h"

#include <gtest/gtest.h>

using namespace quellary;

namespace {

TEST(LockFilePath, DataDirectoryAndNameAreJoinedAsTheyStand) {
    const struct {
        const char* dataPath;
        const char* expected;
    } cases[] = {
        {"C:\\Corvana\\Data\\", "C:\\Corvana\\Data\\~corvana.lck"},
        {"", "~corvana.lck"},                                   // relative to the current directory
        {"C:\\Corvana\\Data", "C:\\Corvana\\Data~corvana.lck"}, // no separator of its own
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lockFilePath({c.dataPath, "C:\\x\\", "x.exe"}), c.expected) << c.dataPath;
    }
}

TEST(ProgramCandidates, WholeTextThenPartsOfTheNameLongestFirstWithExeWhereTheNameHasNoExtension) {
    const auto files = [](const char* path, const char* name) {
        std::vector<std::string> got;
        for (const ProgramCandidate& c : programCandidates({"", path, name})) {
            got.push_back(c.file + "|" + std::to_string(c.textLength));
        }
        return got;
    };
    using List = std::vector<std::string>;
    EXPECT_EQ(files("C:\\Corvana\\", "client.exe"), List{"C:\\Corvana\\client.exe|21"});
    EXPECT_EQ(files("", "client"), (List{"client|6", "client.exe|6"}));
    // The blank in "Path" is never a place to cut: "C:\Program" is not the program.
    EXPECT_EQ(files("C:\\Program Files\\Corvana\\", "client"),
              (List{"C:\\Program Files\\Corvana\\client|31", "C:\\Program Files\\Corvana\\client.exe|31"}));
    EXPECT_EQ(
        files("C:\\My Apps\\", "client.exe /min x"),
        (List{"C:\\My Apps\\client.exe /min x|28", "C:\\My Apps\\client.exe /min x.exe|28",
              "C:\\My Apps\\client.exe /min|26", "C:\\My Apps\\client.exe /min.exe|26", "C:\\My Apps\\client.exe|21"}));
    EXPECT_EQ(files("C:\\My Apps\\", " client.exe"), List{"C:\\My Apps\\ client.exe|22"}) << "no part without a name";
    // A dot in a directory's name is no extension of the file's.
    EXPECT_EQ(files("C:\\v1.2\\", "client"), (List{"C:\\v1.2\\client|14", "C:\\v1.2\\client.exe|14"}));
    EXPECT_EQ(files("", ""), List{"|0"});
}

TEST(ClientLaunch, AFoundProgramStartsAsExactlyThatFileWithTheRestAsArguments) {
    const ClientEntry entry{"C:\\Data\\", "C:\\Program Files\\Corvana\\", "client.exe /min"};
    const std::string program = "C:\\Program Files\\Corvana\\client.exe";
    const ProgramCandidate found{program, program.size()};
    const ClientLaunch launch = clientLaunch(entry, &found, false);
    EXPECT_EQ(launch.application, "C:\\Program Files\\Corvana\\client.exe");
    EXPECT_EQ(launch.commandLine, "\"C:\\Program Files\\Corvana\\client.exe\" /min");

    const ProgramCandidate withExe{"C:\\Corvana\\client.exe", 17};
    EXPECT_EQ(clientLaunch({"", "C:\\Corvana\\", "client"}, &withExe, false).commandLine,
              "\"C:\\Corvana\\client.exe\"");
}

TEST(ClientLaunch, WithoutAFoundProgramOnlyATextWithoutBlanksStartsBare) {
    const struct {
        const char* path;
        const char* name;
        const char* application;
        const char* commandLine;
    } cases[] = {
        // A bare start would try "C:\Program.exe" first: the whole text is started, and fails.
        {"C:\\Program Files\\Corvana\\", "client.exe", "C:\\Program Files\\Corvana\\client.exe",
         "\"C:\\Program Files\\Corvana\\client.exe\""},
        {"C:\\Program Files\\Corvana\\", "", "C:\\Program Files\\Corvana\\", "\"C:\\Program Files\\Corvana\\\""},
        // Nothing to misread: the system may look for it as it always has.
        {"C:\\Corvana", "client.exe", "", "C:\\Corvanaclient.exe"},
        {"", "client", "", "client"},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path) + c.name);
        const ClientLaunch launch = clientLaunch({"C:\\Data\\", c.path, c.name}, nullptr, false);
        EXPECT_EQ(launch.application, c.application);
        EXPECT_EQ(launch.commandLine, c.commandLine);
        EXPECT_EQ(launch.directory, "");
    }
}

TEST(ClientLaunch, RunsInTheProgramDirectoryOnlyWhereThatExists) {
    const ClientEntry entry{"C:\\Data\\", "C:\\Corvana\\", "client.exe"};
    const ProgramCandidate found{"C:\\Corvana\\client.exe", 21};
    EXPECT_EQ(clientLaunch(entry, &found, true).directory, "C:\\Corvana\\");
    EXPECT_EQ(clientLaunch(entry, nullptr, true).directory, "C:\\Corvana\\");
    EXPECT_EQ(clientLaunch(entry, &found, false).directory, "");
}

} // namespace
