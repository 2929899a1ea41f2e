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

TEST(ClientLaunch, ExistingFilesAndTextsWithBlanksStartExactlyThatFile) {
    const struct {
        const char* path;
        const char* name;
        bool programIsFile;
        const char* application;
        const char* commandLine;
    } cases[] = {
        {"C:\\Corvana\\", "client.exe", true, "C:\\Corvana\\client.exe", "\"C:\\Corvana\\client.exe\""},
        {"C:\\Program Files\\Corvana\\", "client.exe", true, "C:\\Program Files\\Corvana\\client.exe",
         "\"C:\\Program Files\\Corvana\\client.exe\""},
        // Missing, but a bare start would try "C:\Program.exe" first.
        {"C:\\Program Files\\Corvana\\", "client.exe", false, "C:\\Program Files\\Corvana\\client.exe",
         "\"C:\\Program Files\\Corvana\\client.exe\""},
        {"C:\\Program Files\\Corvana\\", "", false, "C:\\Program Files\\Corvana\\", "\"C:\\Program Files\\Corvana\\\""},
        // Nothing to misread: the system may look for it and add ".exe" as it always has.
        {"C:\\Corvana", "client.exe", false, "", "C:\\Corvanaclient.exe"},
        {"", "client", false, "", "client"},
        {"", "", false, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path) + c.name);
        const ClientLaunch launch = clientLaunch({"C:\\Data\\", c.path, c.name}, {c.programIsFile, false});
        EXPECT_EQ(launch.application, c.application);
        EXPECT_EQ(launch.commandLine, c.commandLine);
        EXPECT_EQ(launch.directory, "");
    }
}

TEST(ClientLaunch, RunsInTheProgramDirectoryOnlyWhereThatExists) {
    const ClientEntry entry{"C:\\Data\\", "C:\\Corvana\\", "client.exe"};
    EXPECT_EQ(clientLaunch(entry, {true, true}).directory, "C:\\Corvana\\");
    EXPECT_EQ(clientLaunch(entry, {false, true}).directory, "C:\\Corvana\\");
    EXPECT_EQ(clientLaunch(entry, {true, false}).directory, "");
}

} // namespace
