// quellary.exe from start-up to its ready window, driven through its real windows.
#include "app/frmMain_layout.h"
#include "app/task_list.h"
#include "app_dir.h"
#include "platform/files.h"
#include "windows/frmAbout_layout.h"
#include "windows/frmHowTo_layout.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace driver;
using namespace quellary::main_window;

namespace {

using Box = MessageBoxContent;

class Startup : public testing::Test {
protected:
    AppDir app;

    void SetUp() override {
        app.install("endprocx.exe");
        app.put("quellary.ini", taskListFile({"cvagent.exe", "cvmail.exe"}));
    }

    // Starts Quellary, expects exactly this box, answers it and returns the program (still running or not).
    testing::AssertionResult showsBox(Program& program, const Box& expected, int answerWith = IDOK) {
        const HWND box = program.waitForMessageBox();
        if (box == nullptr) {
            return testing::AssertionFailure() << "no message box appeared";
        }
        const Box got = readMessageBox(box);
        // Answered whatever it says, so that a wrong box does not keep the program waiting.
        answer(box, answerWith);
        if (got.prompt != expected.prompt || got.title != expected.title || got.buttons != expected.buttons ||
            got.icon != expected.icon) {
            return testing::AssertionFailure()
                   << "got box \"" << got.title << "\": \"" << got.prompt << "\" with " << got.buttons.size()
                   << " buttons, icon " << got.icon << "; expected \"" << expected.title << "\": \"" << expected.prompt
                   << "\" with " << expected.buttons.size() << " buttons, icon " << expected.icon;
        }
        return testing::AssertionSuccess();
    }

    std::vector<ListItem> readyList(Program& program) {
        const HWND main = program.waitForWindow("QuellaryMain");
        return main != nullptr ? listItems(::GetDlgItem(main, idList1)) : std::vector<ListItem>{};
    }
};

TEST_F(Startup, WindirUnsetOrEmptyIsCritical) {
    for (const std::optional<std::string>& windir : {std::optional<std::string>{}, std::optional<std::string>{""}}) {
        SCOPED_TRACE(windir ? "empty" : "unset");
        Launch launch = app.quellary();
        launch.environment["windir"] = windir;
        Program program(launch);
        ASSERT_NE(program.waitForMessageBox(), nullptr);
        EXPECT_TRUE(program.windows("QuellaryMain").empty()) << "the main window shows behind the box";
        EXPECT_TRUE(
            showsBox(program, {"The windir environment variable is not set!?!?!", "CRITICAL ERROR:", {IDOK}, true}));
        EXPECT_EQ(program.waitForExit(), 2u);
    }
}

TEST_F(Startup, KillToolInNeitherDirectoryNamesBoth) {
    ::DeleteFileA(app.file("endprocx.exe").c_str());
    Program program(app.quellary());
    EXPECT_TRUE(showsBox(program, {"A required program, endprocx.exe, was not found in the " + app.windir() +
                                       "\\\r\ndirectory or in the " + app.path() +
                                       "\\directory.\r\nYou need to reinstall Quellary to correct this problem.",
                                   "Quellary",
                                   {IDOK}}));
    EXPECT_EQ(program.waitForExit(), 2u);
    char local[MAX_PATH];
    const std::string log = readFile(std::string(local, ::GetEnvironmentVariableA("LOCALAPPDATA", local, MAX_PATH)) +
                                     "\\Quellary\\quellary.log");
    const std::string newest = log.substr(log.rfind("=== run "));
    EXPECT_NE(newest.find("mode:        interactive\r\n"), std::string::npos) << newest;
    EXPECT_NE(newest.find("ended:       exit code 2: A required program, endprocx.exe, was not found"),
              std::string::npos)
        << newest;
}

TEST_F(Startup, AskedForHelpItShowsTheUsageAloneAndEndsNothing) {
    RunningTask task(app, "cvagent.exe");
    ASSERT_TRUE(task.started());
    Program program(app.quellary(" /? "));
    const HWND box = program.waitForMessageBox();
    ASSERT_NE(box, nullptr);
    const Box got = readMessageBox(box);
    EXPECT_TRUE(got.prompt.starts_with("Usage: quellary.exe")) << got.prompt;
    EXPECT_TRUE(got.prompt.ends_with("\\Quellary\\quellary.log")) << got.prompt;
    EXPECT_EQ(got.title, "Quellary");
    answer(box, IDOK);
    const Program::Watched run = program.waitForExitWatching("QuellaryMain");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_FALSE(run.windowShown);
    EXPECT_FALSE(task.endsWithin(0ms));
    EXPECT_FALSE(fileExists(app.windir() + "\\endprocx.exe")) << "no start-up check ran";
}

TEST_F(Startup, KillToolIsCopiedOnlyWhenTheWindowsDirectoryLacksItOrHasAnotherVersion) {
    const std::string windowsTool = app.windir() + "\\endprocx.exe";
    {
        Program program(app.quellary());
        ASSERT_NE(program.waitForWindow("QuellaryMain"), nullptr);
        EXPECT_EQ(readFile(windowsTool), readFile(app.file("endprocx.exe")));
    }
    // A copy of another version (an older one left it there) would judge the run by its own rules: it is replaced.
    writeFile(windowsTool, "a copy of another version");
    {
        Program program(app.quellary());
        ASSERT_NE(program.waitForWindow("QuellaryMain"), nullptr);
        EXPECT_EQ(readFile(windowsTool), readFile(app.file("endprocx.exe")));
    }
    // Only the Windows directory has it, of this version: nothing else is needed.
    ::DeleteFileA(app.file("endprocx.exe").c_str());
    Program program(app.quellary());
    EXPECT_NE(program.waitForWindow("QuellaryMain"), nullptr);
}

TEST_F(Startup, AWindowsDirectoryThatRefusesTheCopyIsNoFailure) {
    // A hidden file of that name counts as absent and blocks the copy, as a read-only Windows directory would.
    const std::string blocker = app.windir() + "\\endprocx.exe";
    writeFile(blocker, "hidden");
    ::SetFileAttributesA(blocker.c_str(), FILE_ATTRIBUTE_HIDDEN);
    Program program(app.quellary());
    EXPECT_NE(program.waitForWindow("QuellaryMain"), nullptr);
    EXPECT_EQ(readFile(blocker), "hidden");
}

// Under Wine every program runs with an administrator's elevated token; on Windows, run these tests elevated.
TEST(AdministratorsRun, RefusesAFolderKillToolOrTaskListThatOthersMayChangeAndEndsNothing) {
    const struct {
        const char* part;
        const char* file; // in the program's folder; empty for the folder itself
        bool toolCopied;  // into the Windows directory, before the refusal
    } cases[] = {{"folder", "", false}, {"kill tool", "endprocx.exe", false}, {"task list", "quellary.ini", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.part);
        AppDir app;
        app.install("endprocx.exe");
        app.put("quellary.ini", taskListFile({"cvguarded.exe"}));
        const std::string changeable = *c.file == '\0' ? app.path() : app.file(c.file);
        ASSERT_TRUE(openToEveryone(changeable));
        RunningTask task(app, "cvguarded.exe");
        Program program(app.quellary("START"));
        const HWND box = program.waitForMessageBox();
        ASSERT_NE(box, nullptr);
        const std::string prompt = readMessageBox(box).prompt;
        answer(box, IDOK);
        EXPECT_TRUE(prompt.starts_with("Quellary runs with administrator rights, but other users may change its " +
                                       std::string(c.part) + "\r\n    " + changeable + "\r\n    Everyone may write it"))
            << prompt;
        EXPECT_NE(prompt.find("Install Quellary through its package"), std::string::npos) << prompt;
        EXPECT_EQ(program.waitForExit(), 2u);
        EXPECT_FALSE(task.endsWithin(0ms)) << "a task was ended";
        EXPECT_EQ(fileExists(app.windir() + "\\endprocx.exe"), c.toolCopied) << "a tool others may change was copied";
    }
}

TEST_F(Startup, MissingTaskListDeclinedEndsWithoutCreatingIt) {
    ::DeleteFileA(app.file("quellary.ini").c_str());
    Program program(app.quellary());
    EXPECT_TRUE(showsBox(
        program,
        {"Do you want me to create an INI file for you?", "No Quellary.ini File in Quellary directory", {IDYES, IDNO}},
        IDNO));
    EXPECT_EQ(program.waitForExit(), 2u);
    EXPECT_FALSE(fileExists(app.file("quellary.ini")));
    EXPECT_TRUE(fileExists(app.windir() + "\\endprocx.exe")) << "the tool is placed before the file is asked for";
}

TEST_F(Startup, MissingTaskListAcceptedWritesTheDefaultAndListsIt) {
    ::DeleteFileA(app.file("quellary.ini").c_str());
    Program program(app.quellary());
    EXPECT_TRUE(showsBox(
        program,
        {"Do you want me to create an INI file for you?", "No Quellary.ini File in Quellary directory", {IDYES, IDNO}},
        IDYES));
    const std::vector<ListItem> items = readyList(program);
    EXPECT_EQ(readFile(app.file("quellary.ini")), quellary::defaultTaskListText());
    const std::vector<std::string> expected = quellary::readTaskList(quellary::defaultTaskListText()).entries;
    ASSERT_EQ(items.size(), 28u);
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].text, expected[i]);
        EXPECT_TRUE(items[i].ticked) << i;
    }
    EXPECT_EQ(items.back().text, "");
    const HWND list = ::GetDlgItem(program.waitForWindow("QuellaryMain"), idList1);
    EXPECT_EQ(listCurrent(list), 0);
    const LONG style = ::GetWindowLongA(list, GWL_STYLE);
    EXPECT_TRUE(style & WS_VSCROLL) << "28 entries need scrolling";
    EXPECT_FALSE(style & WS_HSCROLL) << "the names fit beside the vertical scroll bar";
}

class StandardUser : public Startup {};

TEST_F(StandardUser, AReadOnlyFolderWithoutATaskListSaysSoAndWritesNothing) {
    const std::string list = standard_user::withoutList + "\\quellary.ini";
    Program program(standard_user::quellary(standard_user::withoutList));
    EXPECT_TRUE(showsBox(
        program,
        {"Do you want me to create an INI file for you?", "No Quellary.ini File in Quellary directory", {IDYES, IDNO}},
        IDYES));
    EXPECT_TRUE(showsBox(program, {"The task list file\r\n" + list +
                                       "\r\ncould not be created: " + quellary::systemErrorText(ERROR_ACCESS_DENIED),
                                   "Quellary",
                                   {IDOK}}));
    EXPECT_EQ(program.waitForExit(), 2u);
    EXPECT_FALSE(fileExists(list));
}

TEST_F(Startup, ListShowsTheEntriesInFileOrderAllTicked) {
    app.put("quellary.ini", "[Corvana Task List]\r\nzz.exe,\"q,x.exe\"\r\n\r\nCvTray.EXE\r\naa.exe\r\nDROPPED.EXE");
    Program program(app.quellary());
    const std::vector<ListItem> items = readyList(program);
    ASSERT_EQ(items.size(), 5u);
    const char* expected[] = {"zz.exe", "q,x.exe", "", "CvTray.EXE", "aa.exe"};
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].text, expected[i]);
        EXPECT_TRUE(items[i].ticked);
    }
}

TEST_F(Startup, AClickBesideTheItemsKeepsTheCurrentItem) {
    Program program(app.quellary());
    const HWND main = program.waitForWindow("QuellaryMain");
    ASSERT_NE(main, nullptr);
    const HWND list = ::GetDlgItem(main, idList1);
    RECT client;
    ::GetClientRect(list, &client);
    const LPARAM below = MAKELPARAM(client.right / 2, client.bottom - 4);
    ::PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, below);
    ::PostMessageA(list, WM_LBUTTONUP, 0, below);
    ::Sleep(300);
    EXPECT_EQ(listCurrent(list), 0);
    EXPECT_EQ(listItems(list).size(), 2u);
}

TEST_F(Startup, TaskListsThatListNothingOrAreNoTextAreRefusedByName) {
    using namespace std::string_literals;
    for (const auto& [content, why] :
         {std::pair{""s, "lists no task"},
          {"[Corvana Task List]\r\n"s, "lists no task"},
          {"[Corvana Task List]\r\nonly.exe\r\n"s, "lists no task"},
          {"[\0H\0]\0\r\0\n\0a\0\r\0\n\0b\0\r\0\n\0"s, "holds NUL characters"}}) { // UTF-16 without its mark
        SCOPED_TRACE(testing::PrintToString(content));
        app.put("quellary.ini", content);
        Program program(app.quellary());
        const HWND box = program.waitForMessageBox();
        ASSERT_NE(box, nullptr);
        const Box got = readMessageBox(box);
        EXPECT_NE(got.prompt.find(app.file("quellary.ini")), std::string::npos) << got.prompt;
        EXPECT_NE(got.prompt.find(why), std::string::npos) << got.prompt;
        EXPECT_EQ(got.buttons, std::vector<int>{IDOK});
        answer(box, IDOK);
        EXPECT_EQ(program.waitForExit(), 2u);
    }
}

TEST_F(Startup, ReadyWindowAsDesigned) {
    Program program(app.quellary("/start"));
    const HWND main = program.waitForWindow("QuellaryMain");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(text(main), "Veyra's Quellary - Version 3.1.0");

    for (int id : {idCmdStart, idCmdOptimize, idCmdAbout, idList1, idLabel1, idFrame1, idImage1}) {
        EXPECT_TRUE(isVisible(main, id)) << id;
    }
    for (int id : {idLblEnd, idLblEndTitle, idCmdRestart}) {
        EXPECT_FALSE(isVisible(main, id)) << id;
    }
    EXPECT_TRUE(isEnabled(main, idCmdStart)) << "a '/start' argument is ignored";
    EXPECT_EQ(controlText(main, idCmdAbout), "&About Quellary");
    EXPECT_EQ(controlText(main, idLblEndTitle), "Done!");

    // Positions in twips at 96 dots per inch: 15 twips a pixel.
    const RECT list = childRect(main, idList1);
    EXPECT_EQ(list.left, 2265 / 15);
    EXPECT_EQ(list.top, 345 / 15);
    EXPECT_EQ(list.right - list.left, 2025 / 15);
    RECT client;
    ::GetClientRect(main, &client);
    EXPECT_EQ(client.right, 6120 / 15);
    EXPECT_EQ(client.bottom, 5520 / 15);
    // Centred on the screen.
    RECT window;
    ::GetWindowRect(main, &window);
    EXPECT_NEAR((window.left + window.right) / 2, ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((window.top + window.bottom) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    EXPECT_EQ(::GetWindowLongA(main, GWL_STYLE) & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    EXPECT_NE(::GetWindow(main, GW_OWNER), nullptr) << "owned, so no taskbar button of its own";

    // Tab order: the list, Start, About, Optimization.
    std::vector<int> order;
    HWND at = ::GetDlgItem(main, idList1);
    for (int i = 0; i < 4; ++i) {
        order.push_back(::GetDlgCtrlID(at));
        at = ::GetNextDlgTabItem(main, at, FALSE);
    }
    EXPECT_EQ(order, (std::vector<int>{idList1, idCmdStart, idCmdAbout, idCmdOptimize}));
    EXPECT_EQ(::GetDlgCtrlID(at), idList1);

    ::Sleep(300);
    EXPECT_TRUE(screenshot(main, screenshotDirectory() + "\\main-ready.bmp"));
}

namespace {

// The screen's dots per inch for programs started while it lives: Wine reads them from the registry as
// each program starts.
class SystemDpi {
public:
    explicit SystemDpi(DWORD dpi) {
        ::RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                          nullptr, &key_, nullptr);
        DWORD size = sizeof saved_;
        hadValue_ = ::RegQueryValueExA(key_, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&saved_), &size) ==
                    ERROR_SUCCESS;
        ::RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    }
    ~SystemDpi() {
        if (hadValue_) {
            ::RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&saved_), sizeof saved_);
        } else {
            ::RegDeleteValueA(key_, "LogPixels");
        }
        ::RegCloseKey(key_);
    }
    SystemDpi(const SystemDpi&) = delete;
    SystemDpi& operator=(const SystemDpi&) = delete;

private:
    HKEY key_ = nullptr;
    DWORD saved_ = 0;
    bool hadValue_ = false;
};

// Windows takes a new setting only at the next logon: there the layout is checked at the screen's own.
std::vector<int> dpisToTry() {
    if (underWine()) {
        return {120, 144};
    }
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return {dpi};
}

} // namespace

TEST_F(Startup, LaidOutInTwipsAtTheScreensDpi) {
    for (const int dpi : dpisToTry()) {
        SCOPED_TRACE(dpi);
        std::optional<SystemDpi> setting;
        if (underWine()) {
            setting.emplace(static_cast<DWORD>(dpi));
        }
        Program program(app.quellary());
        const HWND main = program.waitForWindow("QuellaryMain");
        ASSERT_NE(main, nullptr);
        const auto pixels = [dpi](int twips) { return ::MulDiv(twips, dpi, 1440); };
        RECT client;
        ::GetClientRect(main, &client);
        EXPECT_EQ(client.right, pixels(6120));
        EXPECT_EQ(client.bottom, pixels(5520));
        const RECT list = childRect(main, idList1);
        EXPECT_EQ(list.left, pixels(2265));
        EXPECT_EQ(list.top, pixels(345));
        EXPECT_EQ(list.right - list.left, pixels(2025));
        const RECT picture = childRect(main, idImage1);
        EXPECT_EQ(picture.left, pixels(120 + 90)); // within Frame1
        EXPECT_EQ(picture.right - picture.left, pixels(1845)) << "the picture fills its box";
        EXPECT_EQ(picture.bottom - picture.top, pixels(4875));
        ::Sleep(300);
        EXPECT_TRUE(screenshot(main, screenshotDirectory() + "\\main-ready-" + std::to_string(dpi) + "dpi.bmp"));
    }
}

TEST_F(Startup, AltAPressesAbout) {
    Program program(app.quellary());
    const HWND main = program.waitForWindow("QuellaryMain");
    ASSERT_NE(main, nullptr);
    ::PostMessageA(::GetDlgItem(main, idList1), WM_SYSCHAR, 'a', 1 << 29); // 1 << 29: with Alt held
    EXPECT_NE(program.waitForWindow("QuellaryAbout", 5s), nullptr);
}

TEST_F(Startup, HelpAndAboutOpenOnceAndOutliveTheMainWindow) {
    Program program(app.quellary());
    const HWND main = program.waitForWindow("QuellaryMain");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(press(main, idCmdOptimize));
    const HWND help = program.waitForWindow("QuellaryHowTo");
    ASSERT_NE(help, nullptr);
    ASSERT_TRUE(press(main, idCmdOptimize));
    ASSERT_TRUE(press(main, idCmdAbout));
    const HWND about = program.waitForWindow("QuellaryAbout");
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(press(main, idCmdAbout));
    ::Sleep(300);
    EXPECT_EQ(program.windows("QuellaryHowTo").size(), 1u);
    EXPECT_EQ(program.windows("QuellaryAbout").size(), 1u);
    EXPECT_EQ(::GetWindow(help, GW_OWNER), nullptr) << "the help window has a taskbar button";
    EXPECT_EQ(text(about), "About Quellary");

    // A closed window is made again.
    ::PostMessageA(about, WM_CLOSE, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return program.windows("QuellaryAbout").empty(); }));
    ASSERT_TRUE(press(main, idCmdAbout));
    EXPECT_NE(program.waitForWindow("QuellaryAbout"), nullptr);

    ::PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return program.windows("QuellaryMain").empty(); }));
    EXPECT_TRUE(program.isRunning()) << "the help window and the About box stay open";
    for (HWND w : program.windows("QuellaryAbout")) {
        ::PostMessageA(w, WM_CLOSE, 0, 0);
    }
    ::PostMessageA(help, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.waitForExit(), 0u) << "the program ends with its last window";
}

} // namespace
