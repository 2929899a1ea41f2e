// The Start command of quellary.exe against real processes, and against a kill tool that misbehaves.
#include "app/frmMain_layout.h"
#include "app_dir.h"
#include "client_registry.h"

#include <gtest/gtest.h>

#include <memory>

using namespace driver;
using namespace quellary::main_window;

namespace {

constexpr auto runTimeout = 60s;

// A directory named by an environment variable, as the program under test finds it.
std::string environmentDirectory(const char* name) {
    char value[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableA(name, value, MAX_PATH);
    return std::string(value, length < MAX_PATH ? length : 0);
}

std::vector<std::string> texts(const std::vector<ListItem>& items) {
    std::vector<std::string> t;
    for (const ListItem& item : items) {
        t.push_back(item.text);
    }
    return t;
}

class Termination : public testing::Test {
protected:
    AppDir app;

    void SetUp() override { app.install("endprocx.exe"); }

    // Beside the program too: a copy in the Windows directory that differs from the tool beside the program is
    // replaced.
    void useFakeTool() const {
        app.installTo("fake_killtool.exe", app.path(), "endprocx.exe");
        app.installTo("fake_killtool.exe", app.windir(), "endprocx.exe");
    }

    // Opens Quellary, presses Start, and waits for the done state (answering no box).
    HWND runToDoneState(Program& program) {
        const HWND main = program.waitForWindow("QuellaryMain");
        if (main == nullptr || !press(main, idCmdStart)) {
            return nullptr;
        }
        return waitUntil([&] { return isVisible(main, idCmdRestart); }, runTimeout) ? main : nullptr;
    }
};

TEST_F(Termination, RunningTasksAreEndedAndListedInTheDoneStateAndAnUntickedOneIsSpared) {
    app.put("quellary.ini",
            taskListFile({"CvRunA.exe", "cvnone1.exe", "cv&x%y.exe", "cvnone2.exe", "cvwindow.exe", "cvspared.exe"}));
    RunningTask a(app, "cvruna.exe");
    RunningTask c(app, "cv&x%y.exe");
    RunningTask spared(app, "cvspared.exe");
    // A task with a window holds work that it saves when it is asked to close.
    const std::string work = app.file("work.txt");
    RunningTask windowed(app, "cvwindow.exe", "/window " + work);
    ASSERT_TRUE(a.started() && c.started() && windowed.started() && spared.started());
    ASSERT_TRUE(waitUntil([&] { return fileExists(work) && readFile(work) == "shown"; }));

    Program program(app.quellary());
    const HWND ready = program.waitForWindow("QuellaryMain");
    ASSERT_NE(ready, nullptr);
    setListTick(::GetDlgItem(ready, idList1), 5, false);
    const HWND main = runToDoneState(program);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(a.endsWithin(5s));
    EXPECT_TRUE(c.endsWithin(5s));
    EXPECT_TRUE(windowed.endsWithin(5s));
    EXPECT_FALSE(spared.endsWithin(0ms)) << "the unticked task was ended";
    EXPECT_EQ(readFile(work), "saved");
    const std::string log = readFile(environmentDirectory("LOCALAPPDATA") + "\\Quellary\\quellary.log");
    EXPECT_NE(log.find("task cvwindow.exe: terminated (1 closed when asked, 0 forced)\r\n"
                       "task cvspared.exe: left running (unticked)\r\n",
                       log.rfind("=== run ")),
              std::string::npos);

    const std::vector<ListItem> items = listItems(::GetDlgItem(main, idList1));
    EXPECT_EQ(texts(items), (std::vector<std::string>{"CvRunA.exe", "cv&x%y.exe", "cvwindow.exe"}));
    for (const ListItem& item : items) {
        EXPECT_TRUE(item.ticked) << item.text;
    }
    for (int id : {idCmdStart, idCmdOptimize, idCmdAbout}) {
        EXPECT_FALSE(isVisible(main, id)) << id;
    }
    for (int id : {idCmdRestart, idLblEnd, idLblEndTitle}) {
        EXPECT_TRUE(isVisible(main, id)) << id;
    }
    EXPECT_EQ(toolTipText(main, ::GetDlgItem(main, idList1)), "");
    EXPECT_TRUE(program.windows("#32770").empty()) << "no box when every task was confirmed";
    // Only the list and Restart take the focus now.
    const HWND list = ::GetDlgItem(main, idList1);
    EXPECT_EQ(::GetNextDlgTabItem(main, list, FALSE), ::GetDlgItem(main, idCmdRestart));
    EXPECT_EQ(::GetNextDlgTabItem(main, ::GetDlgItem(main, idCmdRestart), FALSE), list);
    ::Sleep(300);
    EXPECT_TRUE(screenshot(main, screenshotDirectory() + "\\main-done.bmp"));
}

TEST_F(Termination, TheDoneStateGivesTheFocusOnlyToControlsItShows) {
    app.put("quellary.ini", taskListFile({"cvfocus.exe", "cvnone.exe"}));
    RunningTask task(app, "cvfocus.exe");
    Program program(app.quellary());
    const HWND main = program.waitForWindow("QuellaryMain");
    ASSERT_NE(main, nullptr);
    // About pressed from the keyboard: the button keeps the focus while the box is open and gets it back.
    for (int tabs = 0; tabs < 5 && ::GetDlgCtrlID(focusedControl(main)) != idCmdAbout; ++tabs) {
        pressKey(focusedControl(main), VK_TAB);
        ::Sleep(100);
    }
    ASSERT_EQ(::GetDlgCtrlID(focusedControl(main)), idCmdAbout);
    pressKey(focusedControl(main), VK_SPACE);
    const HWND about = program.waitForWindow("QuellaryAbout", 5s);
    ASSERT_NE(about, nullptr);
    // Closed as soon as it appears, before Wine has handled the X focus events of its opening, the box leaves Wine's
    // X driver giving the foreground to the desktop moments after the main window got it back: no person is as quick.
    ::Sleep(300);
    ::PostMessageA(about, WM_CLOSE, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return program.windows("QuellaryAbout").empty(); }));

    ASSERT_TRUE(press(main, idCmdStart));
    ASSERT_TRUE(waitUntil([&] { return isVisible(main, idCmdRestart); }, runTimeout));
    const auto focusIsOnAShownControl = [&] {
        const HWND focus = focusedControl(main);
        return ::GetParent(focus) == main && ::IsWindowVisible(focus) && ::IsWindowEnabled(focus);
    };
    EXPECT_TRUE(waitUntil(focusIsOnAShownControl, 5s)) << "hiding About left the focus out of reach";
    ::SendMessageA(main, WM_ACTIVATE, WA_INACTIVE, 0);
    ::SendMessageA(main, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(waitUntil(focusIsOnAShownControl, 5s)) << "the hidden About button got the focus back";
}

TEST(AnyScript, AProgramFolderTemporaryFolderAndTaskNameOutsideTheAnsiCodePageWork) {
    AppDir app("Zoë 测试 кв");
    app.install("endprocx.exe");
    // A hidden tool in the Windows directory refuses the copy: the tool runs from the program's folder.
    const std::string blocker = app.windir() + "\\endprocx.exe";
    writeFile(blocker, "hidden");
    ::SetFileAttributesA(blocker.c_str(), FILE_ATTRIBUTE_HIDDEN);
    // A hidden result file in the usual place cannot be made anew: the verdicts go to the temporary folder.
    const std::string usual = "C:\\killed.lst";
    writeFile(usual, "hidden\r\n");
    ::SetFileAttributesA(usual.c_str(), FILE_ATTRIBUTE_HIDDEN);
    const std::string temp = app.file("temp Ωμέγα 测试");
    ASSERT_TRUE(::CreateDirectoryA(temp.c_str(), nullptr));
    const std::string task = "кв测试.exe";
    app.put("quellary.ini", taskListFile({"cvnone.exe", task}));
    RunningTask running(app, task);
    ASSERT_TRUE(running.started());

    Launch launch = app.quellary();
    launch.environment["TMP"] = temp;
    launch.environment["TEMP"] = temp;
    Program program(launch);
    const HWND main = program.waitForWindow("QuellaryMain");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(press(main, idCmdStart));
    ASSERT_TRUE(waitUntil([&] { return isVisible(main, idCmdRestart); }, runTimeout));
    EXPECT_TRUE(running.endsWithin(5s));
    EXPECT_EQ(texts(listItems(::GetDlgItem(main, idList1))), std::vector<std::string>{task});
    EXPECT_NE(readFile(temp + "\\killed.lst").find("\"" + task + "\""), std::string::npos);
    EXPECT_TRUE(program.windows("#32770").empty()) << "every verdict was read";
    ::SetFileAttributesA(usual.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(readFile(usual), "hidden\r\n");
    ::DeleteFileA(usual.c_str());
}

class StandardUser : public Termination {};

TEST_F(StandardUser, AReadOnlyInstallationEndsExactlyTheRunningTasksFromItsOwnFolder) {
    ASSERT_EQ(::CreateDirectoryA("C:\\quellary-probe", nullptr), FALSE) << "run through scripts/standard-user.sh";
    const std::string windowsTool = environmentDirectory("windir") + "\\endprocx.exe";
    const std::string verdicts = environmentDirectory("TEMP") + "\\killed.lst";
    ::DeleteFileA(verdicts.c_str());
    {
        RunningTask sync(app, "cvsync.exe");
        RunningTask watch(app, "cvwatch.exe");
        Program program(standard_user::quellary(standard_user::withList));
        const HWND main = runToDoneState(program);
        ASSERT_NE(main, nullptr);
        EXPECT_TRUE(sync.endsWithin(5s));
        EXPECT_TRUE(watch.endsWithin(5s));
        EXPECT_EQ(texts(listItems(::GetDlgItem(main, idList1))),
                  (std::vector<std::string>{"cvsync.exe", "cvwatch.exe"}));
        EXPECT_TRUE(program.windows("#32770").empty()) << "every verdict was read";
    }
    EXPECT_FALSE(fileExists(windowsTool)) << "the Windows directory took a copy";
    EXPECT_FALSE(fileExists("C:\\killed.lst"));
    EXPECT_TRUE(readFile(verdicts).ends_with("found\r\n")) << "the last entry's verdict: " << readFile(verdicts);

    // A temporary folder that is missing (or offline): the verdicts go to the program's own local folder.
    RunningTask again(app, "cvsync.exe");
    Launch launch = standard_user::quellary(standard_user::withList, "START");
    launch.environment["TEMP"] = launch.environment["TMP"] = environmentDirectory("TEMP") + "\\missing";
    Program unattended(launch);
    EXPECT_EQ(unattended.waitForExit(runTimeout), 0u);
    EXPECT_TRUE(again.endsWithin(1s));
    EXPECT_TRUE(readFile(environmentDirectory("LOCALAPPDATA") + "\\Quellary\\killed.lst").ends_with("found\r\n"));
}

TEST_F(Termination, NothingRunningEmptiesTheListAndSaysSo) {
    app.put("quellary.ini", taskListFile({"cvnone1.exe", "cvnone2.exe", ""}));
    // A verdict left by an earlier run must not be taken for this run's.
    writeFile("C:\\killed.lst", "endprocx: 1 process found\r\nProcess cvnone1.exe Killed\r\n");
    Program program(app.quellary());
    const HWND main = program.waitForWindow("QuellaryMain");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(toolTipText(main, ::GetDlgItem(main, idList1)),
              "Check or uncheck tasks as desired and press the Start button");
    ASSERT_TRUE(press(main, idCmdStart));
    const HWND box = program.waitForMessageBox(runTimeout);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(text(box), "Ready To Restart Corvana");
    EXPECT_EQ(messageBoxPrompt(box), "No Corvana tasks were active");
    EXPECT_EQ(listItems(::GetDlgItem(main, idList1)).size(), 0u);
    EXPECT_FALSE(isVisible(main, idCmdRestart)) << "the done state comes after the box";
    answer(box, IDOK);
    EXPECT_TRUE(waitUntil([&] { return isVisible(main, idCmdRestart); }));
    EXPECT_FALSE(isVisible(main, idCmdStart));

    // Where no entry names a program, nothing was looked for: the box that says so is the only one.
    app.put("quellary.ini", taskListFile({"cv*.exe", "cv?.exe"}));
    Program unusable(app.quellary());
    const HWND second = unusable.waitForWindow("QuellaryMain");
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(press(second, idCmdStart));
    const HWND named = unusable.waitForMessageBox(runTimeout);
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(messageBoxPrompt(named).rfind("These entries of the task list are no program's name", 0), 0u);
    answer(named, IDOK);
    EXPECT_TRUE(waitUntil([&] { return isVisible(second, idCmdRestart); }));
    const HWND other = unusable.waitForMessageBox(500ms);
    EXPECT_EQ(other, nullptr) << messageBoxPrompt(other);
}

TEST_F(Termination, StartInAnyCaseEndsTheTasksWithoutAWindowAndNoCmdBesideItIsTakenForTheInterpreter) {
    // The application folder is writable by the user: a program planted there under the interpreter's
    // name would be found before the system's own.
    app.installTo("mark_program.exe", app.path(), "cmd.exe");
    const std::string mark = app.file("planted.mark");
    app.put("quellary.ini", taskListFile({"cvone.exe", "cvnone.exe", "cv two.exe"}));
    RunningTask one(app, "cvone.exe");
    RunningTask two(app, "cv two.exe");
    ASSERT_TRUE(one.started() && two.started());
    Launch launch = app.quellary("  start  ");
    launch.environment["QUELLARY_MARK_FILE"] = mark;
    Program program(launch);
    const Program::Watched run = program.waitForExitWatching("QuellaryMain", runTimeout);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_FALSE(run.windowShown) << "the unattended run showed the main window";
    EXPECT_TRUE(one.endsWithin(1s));
    EXPECT_TRUE(two.endsWithin(1s));
    EXPECT_FALSE(fileExists(mark)) << readFile(mark);
}
// A detection run ends nothing, makes no result file and shows no window; its exit code tells what START would
// have to do, and its record what runs.
TEST_F(Termination, CheckEndsNothingAndTellsWhatStartWouldHaveToDo) {
    const client_registry::SavedHalvane savedRegistry;
    const std::string log = environmentDirectory("LOCALAPPDATA") + "\\Quellary\\quellary.log";
    ::DeleteFileA("C:\\killed.lst");
    // A script reads from its standard output exactly the record that the log keeps.
    const std::string output = app.file("check.out");
    const auto check = [&] {
        Launch launch = app.quellary(" Check ");
        launch.standardOutput = output;
        Program program(launch);
        const Program::Watched run = program.waitForExitWatching("QuellaryMain", runTimeout);
        EXPECT_FALSE(run.windowShown);
        const std::string text = readFile(log);
        const std::string record = text.substr(text.rfind("=== run "));
        EXPECT_EQ(readFile(output), record);
        return std::pair{run.exitCode, record};
    };
    // A task list it cannot read is no question and no box (nobody answers a script): it writes and copies
    // nothing, and its record says why.
    for (const auto& [list, why] :
         {std::pair<std::string, std::string>{"", "no task list file: " + app.file("quellary.ini")},
          {std::string("[Tasks]\0\r\n", 10), "box not shown: Quellary: The task list file"}}) {
        if (!list.empty()) {
            app.put("quellary.ini", list);
        }
        const auto [exitCode, record] = check();
        EXPECT_EQ(exitCode, 2u);
        EXPECT_NE(record.find(why), std::string::npos) << record;
        EXPECT_EQ(fileExists(app.file("quellary.ini")), !list.empty());
        EXPECT_FALSE(fileExists(app.windir() + "\\endprocx.exe")) << "a check copied the kill tool";
    }
    app.put("quellary.ini", taskListFile({"cvlisted.exe", "cv*.exe"}));
    EXPECT_EQ(check().first, 1u) << "START fails on an entry that no program can be called";
    app.put("quellary.ini", taskListFile({"cvlisted.exe"}));
    EXPECT_EQ(check().first, 0u);
    char folder[MAX_PATH];
    const std::string clientFolder(folder,
                                   ::GetFullPathNameA((app.path() + "\\..").c_str(), MAX_PATH, folder, nullptr));
    ASSERT_TRUE(client_registry::writeEntry("Software\\Halvane\\Corvana\\4.0", client_registry::nativeView,
                                            {{}, clientFolder, {}}));
    RunningTask unlisted(app, "cvunlisted.exe");
    EXPECT_EQ(check().first, 3u);
    RunningTask listed(app, "cvlisted.exe");
    app.put("quellary.ini", taskListFile({"cvlisted.exe", "cv*.exe"}));
    const auto [exitCode, record] = check();
    EXPECT_EQ(exitCode, 1u);
    EXPECT_NE(record.find("mode:        CHECK\r\n"), std::string::npos) << record;
    EXPECT_NE(record.find("task cvlisted.exe: running\r\ntask cv*.exe: not a program name"), std::string::npos)
        << record;
    EXPECT_NE(record.find("unlisted program " + unlisted.image() + ": left running"), std::string::npos) << record;
    EXPECT_FALSE(listed.endsWithin(0ms));
    EXPECT_FALSE(unlisted.endsWithin(0ms));
    EXPECT_FALSE(fileExists("C:\\killed.lst"));
}

TEST_F(Termination, EveryRunLeavesItsRecordAndTheLogKeepsWithinItsCap) {
    app.put("quellary.ini", taskListFile({"cvrec.exe", "cvnone.exe"}));
    // Wine gives every process the user's own local application data folder, whatever its parent's says.
    const std::string folder = environmentDirectory("LOCALAPPDATA") + "\\Quellary";
    const std::string log = folder + "\\quellary.log";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    // A log already at its cap: the oldest records make room for the new ones.
    std::string old;
    for (int i = 0; old.size() < 1024 * 1024; ++i) {
        old += "=== run 2000-01-01T00:00:00+00:00 ===\r\nended:       old record " + std::to_string(i) + "\r\n\r\n";
    }
    writeFile(log, old);

    for (const std::string arguments : {"", "START"}) {
        RunningTask task(app, "cvrec.exe");
        Program program(app.quellary(arguments));
        if (arguments.empty()) {
            ASSERT_NE(runToDoneState(program), nullptr);
        } else {
            EXPECT_EQ(program.waitForExit(runTimeout), 0u);
        }
    }
    const std::string text = readFile(log);
    EXPECT_LE(text.size(), 1024u * 1024u);
    EXPECT_EQ(text.find("old record 0\r\n"), std::string::npos) << "the oldest record stayed";
    const std::size_t interactive = text.find("mode:        interactive");
    const std::size_t unattended = text.rfind("=== run ");
    ASSERT_NE(interactive, std::string::npos);
    ASSERT_LT(interactive, unattended);
    const std::string tasks = "task cvrec.exe: terminated\r\ntask cvnone.exe: not running\r\n";
    EXPECT_NE(text.find(tasks + "ended:       done state\r\n\r\n", interactive), std::string::npos);
    const std::string newest = text.substr(unattended);
    for (const std::string& line :
         {"program:     " + app.file("quellary.exe"), "task list:   " + app.file("quellary.ini"),
          std::string("mode:        START"), std::string("result file: C:\\killed.lst"),
          tasks + "ended:       exit code 0\r\n\r\n"}) {
        EXPECT_NE(newest.find(line), std::string::npos) << line << "\nin\n" << newest;
    }
}

TEST_F(Termination, AnUnattendedRunNobodySeesShowsNoBoxAndRecordsIt) {
    // A window station of its own is not the visible one, as a service's or a scheduled task's is not.
    const HWINSTA station = ::CreateWindowStationA("QuellaryUnseen", 0, WINSTA_ALL_ACCESS, nullptr);
    ASSERT_NE(station, nullptr);
    const HWINSTA ours = ::GetProcessWindowStation();
    ASSERT_TRUE(::SetProcessWindowStation(station));
    const HDESK desktop = ::CreateDesktopA("Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    ::SetProcessWindowStation(ours);
    ASSERT_NE(desktop, nullptr);
    USEROBJECTFLAGS flags{};
    ASSERT_TRUE(::GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, nullptr));
    ASSERT_EQ(flags.dwFlags & WSF_VISIBLE, 0u);

    ::DeleteFileA(app.file("quellary.ini").c_str());
    const std::string log = environmentDirectory("LOCALAPPDATA") + "\\Quellary\\quellary.log";
    Launch launch = app.quellary("START");
    launch.desktop = "QuellaryUnseen\\Default";
    Program program(launch);
    EXPECT_EQ(program.waitForExit(), 2u) << "the question about the task list was left unanswered";
    EXPECT_FALSE(fileExists(app.file("quellary.ini")));
    const std::string text = readFile(log);
    const std::string newest = text.substr(text.rfind("=== run "));
    EXPECT_NE(newest.find("box not shown: No Quellary.ini File in Quellary directory: Do you want me to create an "
                          "INI file for you?"),
              std::string::npos)
        << newest;
    ::CloseDesktop(desktop);
    ::CloseWindowStation(station);
}

TEST_F(Termination, EveryWayOutOfARunEndsItsCommandAndLeavesItsRecord) {
    useFakeTool();
    const std::string log = environmentDirectory("LOCALAPPDATA") + "\\Quellary\\quellary.log";
    // Closed as a deployment tool closes an unattended run; the session ending under an interactive one; the help
    // window failing on a task list deleted during the run.
    const struct {
        const char* arguments;
        UINT message;
    } ways[] = {{"START", WM_CLOSE}, {"", WM_ENDSESSION}, {"", WM_NULL}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.message);
        app.put("quellary.ini", taskListFile({"cvfirst.exe", "cvhang.exe"}));
        Launch launch = app.quellary(way.arguments);
        launch.environment["QUELLARY_FAKE_KILLTOOL"] = "hang";
        Program program(launch);
        ASSERT_TRUE(waitUntil([&] { return !program.windows("QuellaryMain", false).empty(); }));
        const HWND main = program.windows("QuellaryMain", false).front();
        if (*way.arguments == '\0') {
            ASSERT_TRUE(press(program.waitForWindow("QuellaryMain"), idCmdStart));
        }
        // The first task's tool ends at once; the second's never does.
        ASSERT_TRUE(waitUntil([&] { return processesNamed("endprocx.exe").size() == 1; }));
        ::Sleep(1000);
        ASSERT_EQ(processesNamed("endprocx.exe").size(), 1u);
        std::string ending;
        if (way.message == WM_NULL) {
            ::DeleteFileA(app.file("quellary.ini").c_str());
            ASSERT_TRUE(press(main, idCmdOptimize));
            const HWND box = program.waitForMessageBox();
            ASSERT_NE(box, nullptr);
            ending = "exit code 2: " + messageBoxPrompt(box).substr(0, messageBoxPrompt(box).find('\r'));
            answer(box, IDOK);
        } else {
            ending = std::string("exit code 2: the ") +
                     (way.message == WM_CLOSE ? "main window was closed" : "Windows session ended") + " during the run";
            ::PostMessageA(main, way.message, TRUE, 0);
        }
        EXPECT_EQ(program.waitForExit(10s), 2u);
        EXPECT_TRUE(processesNamed("endprocx.exe").empty()) << "the kill command was left running";
        const std::string text = readFile(log);
        EXPECT_NE(text.substr(text.rfind("=== run "))
                      .find("task cvfirst.exe: may still be running (the kill tool "
                            "ended without a verdict)\r\nended:       " +
                            ending),
                  std::string::npos)
            << text.substr(text.rfind("=== run "));
    }
}

TEST_F(Termination, TasksTheRunCannotConfirmAreToldFromAWindowThatStaysLive) {
    useFakeTool();
    app.put("quellary.ini", taskListFile({"cvone.exe", "cvhang.exe"}));
    Launch launch = app.quellary();
    launch.environment["QUELLARY_FAKE_KILLTOOL"] = "hang";
    Program program(launch);
    const HWND main = program.waitForWindow("QuellaryMain");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(press(main, idCmdStart));
    ASSERT_TRUE(waitUntil([&] { return !isEnabled(main, idCmdStart); }));
    ASSERT_TRUE(waitUntil([&] { return processesNamed("endprocx.exe").size() == 1; }));
    // The privilege is the looks' alone: not the waiting run's, nor inherited by the tool it started.
    EXPECT_EQ(debugPrivilegeOn(program.id()), false);
    std::optional<bool> toolPrivilege; // of either task's tool: the first may end at any moment
    EXPECT_TRUE(waitUntil([&] {
        const std::vector<DWORD> tools = processesNamed("endprocx.exe");
        return !tools.empty() && (toolPrivilege = debugPrivilegeOn(tools.front())).has_value();
    }));
    EXPECT_EQ(toolPrivilege, false);

    // While the run waits, the help window opens and the main window answers.
    ASSERT_TRUE(press(main, idCmdOptimize));
    EXPECT_NE(program.waitForWindow("QuellaryHowTo", 10s), nullptr);
    DWORD_PTR result = 0;
    EXPECT_TRUE(::SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result));

    // With the help window active, the run's box still belongs to the main window, which it keeps from being
    // closed under it.
    const HWND box = program.waitForMessageBox(runTimeout);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(::GetWindow(box, GW_OWNER), main);
    EXPECT_FALSE(::IsWindowEnabled(main));
    EXPECT_EQ(messageBoxPrompt(box), "These tasks may still be running:\r\n"
                                     "    cvone.exe: the kill tool ended without a verdict\r\n"
                                     "    cvhang.exe: the kill tool did not finish within 30 seconds");
    answer(box, IDOK);
    ASSERT_TRUE(waitUntil([&] { return isVisible(main, idCmdRestart); }));
    EXPECT_EQ(listItems(::GetDlgItem(main, idList1)).size(), 0u) << "tasks that may still run were listed as ended";
    const HWND other = program.waitForMessageBox(500ms);
    EXPECT_EQ(other, nullptr) << messageBoxPrompt(other);
}

TEST_F(Termination, ToolThatCannotStartEndsTheProgramAfterItsBox) {
    app.put("quellary.ini", taskListFile({"a&b.exe", "cvtwo.exe"}));
    Program program(app.quellary());
    const HWND main = program.waitForWindow("QuellaryMain");
    ASSERT_NE(main, nullptr);
    // The tool disappears after the start-up found it.
    ::DeleteFileA(app.file("endprocx.exe").c_str());
    ::DeleteFileA((app.windir() + "\\endprocx.exe").c_str());
    ASSERT_TRUE(press(main, idCmdStart));
    const HWND box = program.waitForMessageBox(runTimeout);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(text(box), "Quellary");
    EXPECT_TRUE(messageBoxPrompt(box).starts_with("Failed to activate endprocx.exe...\r\n")) << messageBoxPrompt(box);
    answer(box, IDOK);
    EXPECT_EQ(program.waitForExit(), 2u);
}

} // namespace
