// The whole clear-and-restart cycle: the stand-in client running with its tasks, Quellary's Start ending
// exactly those, and Restart bringing the client back; and the message box where the client cannot be started.
#include "app/frmMain_layout.h"
#include "app/task_list.h"
#include "app_dir.h"
#include "client_registry.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace driver;
using namespace client_registry;
using namespace quellary::main_window;

namespace {

// The client's stand-in and the task programs it starts; the default list lacks the last.
const std::vector<std::string> clientTasks{"cvagent.exe", "cvmail.exe", "cvtray.exe", "cvlink.exe"};
constexpr char clientProgram[] = "cvclient.exe";
constexpr char clientWindowClass[] = "CorvanaStandIn";

// The client's window, when a process other than `notOf` shows one.
HWND clientWindowOtherThan(DWORD notOf) {
    for (HWND w = ::FindWindowExA(nullptr, nullptr, clientWindowClass, nullptr); w != nullptr;
         w = ::FindWindowExA(nullptr, w, clientWindowClass, nullptr)) {
        DWORD id = 0;
        ::GetWindowThreadProcessId(w, &id);
        if (id != notOf && ::IsWindowVisible(w)) {
            return w;
        }
    }
    return nullptr;
}

class ProgramRestart : public testing::Test {
protected:
    SavedHalvane savedRegistry;
    AppDir app;

    void SetUp() override { app.install("endprocx.exe"); }

    void TearDown() override {
        endProcessesNamed(clientProgram);
        for (const std::string& task : clientTasks) {
            endProcessesNamed(task);
        }
    }

    // Presses Start and waits for the done state, answering the box an empty list brings and agreeing to end
    // programs of the client that the list lacks. False when the run showed anything else or did not finish.
    testing::AssertionResult runToDone(Program& program, HWND main) {
        if (!press(main, idCmdStart)) {
            return testing::AssertionFailure() << "Start could not be pressed";
        }
        std::string unexpected;
        const bool done = waitUntil(
            [&] {
                for (HWND box : program.windows("#32770")) {
                    const std::string title = text(box);
                    const std::string prompt = messageBoxPrompt(box);
                    if (title == "Quellary" && prompt.starts_with("This program of Corvana is running")) {
                        answer(box, IDYES);
                        continue;
                    }
                    if (title != "Ready To Restart Corvana") {
                        unexpected = title + ": " + prompt;
                    }
                    answer(box, IDOK);
                }
                return isVisible(main, idCmdRestart);
            },
            90s);
        if (!unexpected.empty()) {
            return testing::AssertionFailure() << "the run showed " << unexpected;
        }
        return done ? testing::AssertionSuccess() : testing::AssertionFailure() << "no done state";
    }

    // The client installed in `clientDir` started with its tasks, Start in Quellary started by `quellaryLaunch`
    // listing exactly those, and Restart bringing the client back with a lock file `lock` of its own.
    void clearAndRestart(const std::string& clientDir, const std::string& lock, const Launch& quellaryLaunch);
};

void ProgramRestart::clearAndRestart(const std::string& clientDir, const std::string& lock,
                                     const Launch& quellaryLaunch) {
    Launch launch;
    launch.exePath = clientDir + "\\" + clientProgram;
    Program client(launch);
    ASSERT_NE(client.waitForWindow(clientWindowClass), nullptr);
    ASSERT_TRUE(waitUntil([&] {
        return std::all_of(clientTasks.begin(), clientTasks.end(),
                           [](const std::string& task) { return processesNamed(task).size() == 1; });
    }));
    ASSERT_EQ(readFile(lock), std::to_string(client.id()));

    Program quellary(quellaryLaunch);
    const HWND main = quellary.waitForWindow("QuellaryMain");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(runToDone(quellary, main));

    // Exactly the client and its tasks were found and ended; every other listed name is gone from the list.
    const std::vector<ListItem> items = listItems(::GetDlgItem(main, idList1));
    std::vector<std::string> listed;
    for (const ListItem& item : items) {
        listed.push_back(item.text);
        EXPECT_TRUE(item.ticked) << item.text;
    }
    EXPECT_EQ(listed,
              (std::vector<std::string>{"cvagent.exe", "cvclient.exe", "cvmail.exe", "cvtray.exe", "cvlink.exe"}));
    EXPECT_TRUE(client.waitForExit(5s).has_value());
    for (const std::string& task : clientTasks) {
        EXPECT_TRUE(processesNamed(task).empty()) << task;
    }
    // Asked to close before any force, the client ends as when its window is closed, and takes its lock file along.
    EXPECT_FALSE(driver::fileExists(lock));
    ::Sleep(300);
    EXPECT_TRUE(screenshot(main, screenshotDirectory() + "\\restart-done.bmp"));

    ASSERT_TRUE(press(main, idCmdRestart));
    EXPECT_EQ(quellary.waitForExit(), 0u);
    // The new client holds a lock file of its own.
    HWND again = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (again = clientWindowOtherThan(client.id())) != nullptr; }));
    DWORD againId = 0;
    ::GetWindowThreadProcessId(again, &againId);
    EXPECT_EQ(debugPrivilegeOn(againId), false) << "the client inherited the run's privilege";
    EXPECT_TRUE(waitUntil([&] { return readFile(lock) == std::to_string(againId); }));
    EXPECT_TRUE(waitUntil([&] {
        return std::all_of(clientTasks.begin(), clientTasks.end(),
                           [](const std::string& task) { return processesNamed(task).size() == 1; });
    }));

    // Unattended, nobody can be asked, and a program the list lacks may be left out on purpose: it runs on.
    Launch unattended = quellaryLaunch;
    unattended.arguments = "START";
    Program run(unattended);
    EXPECT_EQ(run.waitForExit(60s), 3u);
    EXPECT_EQ(processesNamed("cvlink.exe").size(), 1u);
    EXPECT_TRUE(processesNamed("cvagent.exe").empty());
}

TEST_F(ProgramRestart, StartClearsTheClientsTasksAndRestartBringsTheClientBack) {
    // A program directory with a blank in it, as most installations have.
    const std::string clientDir = app.file("Client Files");
    ::CreateDirectoryA(clientDir.c_str(), nullptr);
    app.installTo(clientProgram, clientDir);
    for (const std::string& task : clientTasks) {
        app.installTo("task_standin.exe", clientDir, task);
    }
    app.put("quellary.ini", quellary::defaultTaskListText());
    clearAndRestart(clientDir, clientDir + "\\Data\\~corvana.lck", app.quellary());
}

class StandardUser : public ProgramRestart {};

TEST_F(StandardUser, TheWholeCycleWithQuellaryAndTheClientInstalledReadOnly) {
    // The client keeps its data where the user may write, as it does when installed read-only.
    char localData[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableA("LOCALAPPDATA", localData, MAX_PATH);
    ASSERT_TRUE(length > 0 && length < MAX_PATH);
    const std::string lock = std::string(localData) + "\\Halvane\\Corvana\\Data\\~corvana.lck";
    ::DeleteFileA(lock.c_str()); // left by a client that an earlier run ended
    clearAndRestart(standard_user::clientFolder, lock, standard_user::quellary(standard_user::withList));
}

TEST_F(ProgramRestart, AClientThatCannotBeStartedIsReportedAndTheProgramEnds) {
    // The data directory alone: the fallback key is not consulted and there is no program to start.
    const std::string data = app.file("data");
    ::CreateDirectoryA(data.c_str(), nullptr);
    writeFile(data + "\\~corvana.lck", "stale");
    ASSERT_TRUE(writeEntry("Software\\Halvane\\Corvana", nativeView, {data + "\\", {}, {}}));
    app.installTo("client_mark.exe", app.path(), "client.exe");
    ASSERT_TRUE(
        writeEntry("Software\\Halvane\\Corvana\\4.0", nativeView, {data + "\\", app.path() + "\\", "client.exe"}));
    app.put("quellary.ini", taskListFile({"cvnothing.exe"}));

    Program quellary(app.quellary());
    const HWND main = quellary.waitForWindow("QuellaryMain");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(runToDone(quellary, main));
    ASSERT_TRUE(press(main, idCmdRestart));

    const HWND box = quellary.waitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(messageBoxPrompt(box), "Sorry. I could not start Corvana.\r\nYou'll have to do so yourself.");
    EXPECT_EQ(text(box), "Quellary");
    EXPECT_EQ(messageBoxButtons(box), std::vector<int>{IDOK});
    EXPECT_FALSE(readMessageBox(box).icon);
    answer(box, IDOK);
    EXPECT_EQ(quellary.waitForExit(), 2u);
    char local[MAX_PATH];
    const std::string log = readFile(std::string(local, ::GetEnvironmentVariableA("LOCALAPPDATA", local, MAX_PATH)) +
                                     "\\Quellary\\quellary.log");
    EXPECT_NE(log.find("ended:       exit code 2: Sorry. I could not start Corvana.\r\n", log.rfind("=== run ")),
              std::string::npos)
        << log.substr(log.rfind("=== run "));
    EXPECT_FALSE(driver::fileExists(data + "\\~corvana.lck"));
    EXPECT_FALSE(driver::fileExists(app.file("client.exe.started"))) << "the fallback's program was not started";
}

} // namespace
