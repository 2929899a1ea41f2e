// The help window and the About box of quellary.exe, driven through their real windows.
#include "app/frmMain_layout.h"
#include "app_dir.h"
#include "platform/files.h"
#include "windows/frmAbout_layout.h"
#include "windows/frmHowTo_layout.h"
#include "windows/help_text.h"

#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <utility>

using namespace driver;
namespace main_window = quellary::main_window;
namespace help_window = quellary::help_window;
namespace about_box = quellary::about_box;

namespace {

const std::string helpCaption = "How To Modify The List of Corvana Tasks That Are Searched For and Quelled";
// What the program says when the help window cannot open the task list file, word for word, the two blanks that
// end the third line included.
const std::string openFailureTitle = "QUELLARY.INI NOT FOUND?";
const std::string openFailurePrompt = "Quellary.exe must be in the same directory\r\n"
                                      "as the Quellary.ini file. Please move this\r\n"
                                      "program and the Quellary.ini file to the  \r\n"
                                      "same directory ( preferably C:\\Quellary\\ )\r\n"
                                      "and rerun the program.";

using Box = MessageBoxContent;

// Waits for a message box of the program, reads it whole and answers it with OK.
std::optional<Box> takeBox(Program& program) {
    const HWND box = program.waitForMessageBox();
    if (box == nullptr) {
        return std::nullopt;
    }
    const Box got = readMessageBox(box);
    answer(box, IDOK);
    return got;
}

testing::AssertionResult isPlainOkBox(const std::optional<Box>& box, const std::string& prompt,
                                      const std::string& title) {
    if (!box) {
        return testing::AssertionFailure() << "no message box appeared";
    }
    if (box->prompt != prompt || box->title != title || box->buttons != std::vector<int>{IDOK} || box->icon) {
        return testing::AssertionFailure() << "got box \"" << box->title << "\": \"" << box->prompt << "\" with "
                                           << box->buttons.size() << " buttons, icon " << box->icon << "; expected \""
                                           << title << "\": \"" << prompt << "\", OK only, no icon";
    }
    return testing::AssertionSuccess();
}

class Windows : public testing::Test {
protected:
    AppDir app;

    void SetUp() override {
        app.install("endprocx.exe");
        app.put("quellary.ini", taskListFile({"cvagent.exe", "cvmail.exe"}));
    }

    // The main window of a started program, ready for commands.
    static HWND mainWindow(Program& program) { return program.waitForWindow("QuellaryMain"); }

    static HWND openHelp(Program& program) {
        const HWND main = mainWindow(program);
        if (main == nullptr || !press(main, main_window::idCmdOptimize)) {
            return nullptr;
        }
        return program.waitForWindow("QuellaryHowTo");
    }

    static void closeAndWait(Program& program, HWND window, const std::string& className) {
        ::PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(waitUntil([&] { return program.windows(className).empty(); }));
    }
};

using HelpWindow = Windows;

TEST_F(HelpWindow, ShowsTheHelpTextAndTheFileAsItIs) {
    Program program(app.quellary());
    const HWND help = openHelp(program);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(text(help), helpCaption);
    EXPECT_EQ(controlText(help, help_window::idTxtHowTo), quellary::helpText(app.path()));
    EXPECT_EQ(controlText(help, help_window::idTxtTaskList), readFile(app.file("quellary.ini")));
    EXPECT_EQ(controlText(help, help_window::idLabel1), "Contents of your current Quellary.ini file.");
    EXPECT_TRUE(waitUntil([&] { return ::GetDlgCtrlID(focusedControl(help)) == help_window::idTxtTaskList; }, 5s));
    // Esc is a key like any other in the text boxes: the window closes only by its frame.
    for (const int box : {help_window::idTxtTaskList, help_window::idTxtHowTo}) {
        pressKey(::GetDlgItem(help, box), VK_ESCAPE);
        ::PostMessageA(::GetDlgItem(help, box), WM_CHAR, VK_ESCAPE, 1);
    }
    ::Sleep(500);
    ASSERT_TRUE(::IsWindow(help)) << "Esc closed the help window";

    // The help text's lines are as far apart as Arial's at 12 points (16 pixels at 96 dots per inch).
    const HDC screen = ::GetDC(nullptr);
    const HFONT arial = ::CreateFontA(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
    const HGDIOBJ old = ::SelectObject(screen, arial);
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(screen, &metrics);
    ::SelectObject(screen, old);
    ::DeleteObject(arial);
    ::ReleaseDC(nullptr, screen);
    const HWND howTo = ::GetDlgItem(help, help_window::idTxtHowTo);
    const auto secondLine = ::SendMessageA(howTo, EM_LINEINDEX, 1, 0);
    const auto lineTop = [&](LRESULT index) {
        return static_cast<int>(HIWORD(::SendMessageA(howTo, EM_POSFROMCHAR, static_cast<WPARAM>(index), 0)));
    };
    EXPECT_EQ(lineTop(secondLine) - lineTop(0), metrics.tmHeight);

    RECT client;
    ::GetClientRect(help, &client);
    EXPECT_EQ(client.right, 8295 / 15);
    EXPECT_EQ(client.bottom, 5940 / 15);
    ::Sleep(300);
    EXPECT_TRUE(screenshot(help, screenshotDirectory() + "\\help.bmp"));
}

TEST(AnyScriptHelpWindow, NamesAFolderInAnyScriptAndShowsAnOlderEditorsOrAUtf16FileDecodedLikeTheList) {
    AppDir app("Zoë 测试 кв");
    app.install("endprocx.exe");
    // Saved by an older editor in the legacy code page, "é" one byte; and as PowerShell and Notepad's "Unicode" save.
    const std::string legacy = "[Corvana Task List]\r\ncaf\xE9.exe\r\nLAST.EXE\r\n";
    std::string utf16 = "\xFF\xFE";
    for (const char c : legacy) {
        utf16.append({c, '\0'});
    }
    for (const std::string& file : {legacy, utf16}) {
        SCOPED_TRACE(file.size());
        app.put("quellary.ini", file);
        Program program(app.quellary());
        const HWND main = program.waitForWindow("QuellaryMain");
        ASSERT_NE(main, nullptr);
        const std::vector<ListItem> items = listItems(::GetDlgItem(main, main_window::idList1));
        ASSERT_EQ(items.size(), 1u);
        EXPECT_EQ(items[0].text, "caf\xC3\xA9.exe");
        ASSERT_TRUE(press(main, main_window::idCmdOptimize));
        const HWND help = program.waitForWindow("QuellaryHowTo");
        ASSERT_NE(help, nullptr);
        EXPECT_EQ(controlText(help, help_window::idTxtHowTo), quellary::helpText(app.path()));
        EXPECT_EQ(controlText(help, help_window::idTxtTaskList),
                  "[Corvana Task List]\r\ncaf\xC3\xA9.exe\r\nLAST.EXE\r\n");
    }
}

TEST_F(HelpWindow, ShowsEmptyLinesBlanksAndEmptyFilesUnchanged) {
    Program program(app.quellary());
    ASSERT_NE(mainWindow(program), nullptr);
    // Files the start-up would refuse too: the help window shows whatever the file holds now.
    const char* files[] = {
        "",
        "[Corvana Task List]\r\n",
        "[Corvana Task List]\r\ncvagent.exe\r\n\r\n  cvmail.exe  \r\nLAST.EXE\r\n\r\n",
        "[Corvana Task List]\r\n\tblank and tab\r\nno line break at the end",
        "lone\nline feeds\nand a lone\rreturn\r\n",
    };
    for (const char* file : files) {
        SCOPED_TRACE(testing::PrintToString(std::string(file)));
        app.put("quellary.ini", file);
        const HWND help = openHelp(program);
        ASSERT_NE(help, nullptr);
        EXPECT_EQ(controlText(help, help_window::idTxtTaskList), file);
        EXPECT_EQ(program.waitForMessageBox(100ms), nullptr);
        closeAndWait(program, help, "QuellaryHowTo");
    }
}

TEST_F(HelpWindow, ReadsTheFileWhenItOpensNotWhenBroughtToTheFront) {
    const std::string before = readFile(app.file("quellary.ini"));
    const std::string after = taskListFile({"cvnew.exe"});
    Program program(app.quellary());
    const HWND main = mainWindow(program);
    const HWND help = openHelp(program);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(controlText(help, help_window::idTxtTaskList), before);

    // Typing into the boxes is allowed and reaches nothing.
    ::SendMessageA(::GetDlgItem(help, help_window::idTxtHowTo), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>("typed by the user"));
    app.put("quellary.ini", after);
    ::SetForegroundWindow(main);
    ASSERT_TRUE(press(main, main_window::idCmdOptimize));
    EXPECT_TRUE(waitUntil([&] { return ::GetForegroundWindow() == help; }, 5s)) << "brought to the front";
    EXPECT_EQ(program.windows("QuellaryHowTo").size(), 1u);
    EXPECT_EQ(controlText(help, help_window::idTxtTaskList), before);
    EXPECT_EQ(controlText(help, help_window::idTxtHowTo), "typed by the user");

    closeAndWait(program, help, "QuellaryHowTo");
    EXPECT_EQ(readFile(app.file("quellary.ini")), after);
    EXPECT_TRUE(waitUntil([&] { return ::GetForegroundWindow() == main; }, 5s))
        << "closing the help window gives the main window the focus";
    EXPECT_TRUE(waitUntil([&] { return ::GetParent(focusedControl(main)) == main; }, 5s))
        << "the focus is on a control of the main window, where keys reach it";

    const HWND reopened = openHelp(program);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(controlText(reopened, help_window::idTxtTaskList), after);
    EXPECT_EQ(controlText(reopened, help_window::idTxtHowTo), quellary::helpText(app.path()));
}

TEST_F(HelpWindow, ATaskListFileThatCannotBeOpenedEndsTheProgram) {
    const struct {
        const char* how;
        bool (*spoil)(const std::string& path);
    } failures[] = {
        {"removed while the program runs", [](const std::string& path) { return ::DeleteFileA(path.c_str()) != 0; }},
        {"replaced by a directory",
         [](const std::string& path) {
             return ::DeleteFileA(path.c_str()) && ::CreateDirectoryA(path.c_str(), nullptr);
         }},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.how);
        app.put("quellary.ini", taskListFile({"cvagent.exe", "cvmail.exe"}));
        Program program(app.quellary());
        const HWND main = mainWindow(program);
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(failure.spoil(app.file("quellary.ini")));
        ASSERT_TRUE(press(main, main_window::idCmdOptimize));
        EXPECT_TRUE(isPlainOkBox(takeBox(program), openFailurePrompt, openFailureTitle));
        EXPECT_EQ(program.waitForExit(), 2u) << "the whole program ends";
        ::RemoveDirectoryA(app.file("quellary.ini").c_str());
    }
}

TEST_F(HelpWindow, AFileThatCannotBeReadGivesTheErrorReport) {
    Program program(app.quellary());
    ASSERT_NE(mainWindow(program), nullptr);
    // Opened by the program, but every byte is locked against reading.
    const HANDLE locker = ::CreateFileA(app.file("quellary.ini").c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locker, INVALID_HANDLE_VALUE);
    OVERLAPPED whole{};
    ASSERT_TRUE(
        ::LockFileEx(locker, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole));
    ASSERT_TRUE(press(mainWindow(program), main_window::idCmdOptimize));
    ASSERT_TRUE(
        waitUntil([&] { return !program.windows("#32770").empty() || !program.windows("QuellaryHowTo").empty(); }));
    if (program.windows("#32770").empty()) {
        ::CloseHandle(locker);
        GTEST_SKIP() << "this system does not enforce file locks on reading, so the read cannot be made to fail";
    }
    const std::optional<Box> box = takeBox(program);
    ::CloseHandle(locker);
    EXPECT_TRUE(isPlainOkBox(
        box, "Error    : 33\r\nLine No. : 310\r\nDesc     : " + quellary::systemErrorText(ERROR_LOCK_VIOLATION),
        "HOUSTON, We have a problem!"));
    EXPECT_EQ(program.waitForExit(), 2u);
}

// Takes every right to a file away from everybody while it lives; under Wine the file's Unix mode follows its access
// list, 000 for an empty one. The list is set through a handle kept open: once closed, the file could not be opened
// again to give the rights back.
class ClosedToEveryone {
public:
    explicit ClosedToEveryone(const std::string& path)
        : file_(::CreateFileA(path.c_str(), READ_CONTROL | WRITE_DAC,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                              nullptr)) {
        closed_ = file_ != INVALID_HANDLE_VALUE && setAccessList("D:P");
    }
    ~ClosedToEveryone() {
        if (file_ != INVALID_HANDLE_VALUE) {
            setAccessList("D:(A;;FA;;;WD)");
            ::CloseHandle(file_);
        }
    }
    ClosedToEveryone(const ClosedToEveryone&) = delete;
    ClosedToEveryone& operator=(const ClosedToEveryone&) = delete;

    [[nodiscard]] bool closed() const { return closed_; }

private:
    bool setAccessList(const char* dacl) const {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(dacl, SDDL_REVISION_1, &descriptor, nullptr)) {
            return false;
        }
        const bool set = ::SetKernelObjectSecurity(file_, DACL_SECURITY_INFORMATION, descriptor) != 0;
        ::LocalFree(descriptor);
        return set;
    }

    HANDLE file_;
    bool closed_ = false;
};

using StandardUser = Windows;

TEST_F(StandardUser, ATaskListTheUserMayNotOpenEndsTheProgramWithTheOpenFailureBox) {
    const std::string list = app.file("quellary.ini");
    Program program(app.quellary());
    const HWND main = mainWindow(program);
    ASSERT_NE(main, nullptr);
    // Read at start-up; closed to everybody before the help window opens it.
    const ClosedToEveryone closed(list);
    ASSERT_TRUE(closed.closed());
    const HANDLE probe = ::CreateFileA(list.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr);
    const DWORD refusal = ::GetLastError();
    ASSERT_EQ(probe, INVALID_HANDLE_VALUE) << "the file can still be read: run through scripts/standard-user.sh";
    ASSERT_EQ(refusal, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    ASSERT_TRUE(press(main, main_window::idCmdOptimize));
    // Opening is what fails, so the program blames the file's place rather than reporting an error number.
    EXPECT_TRUE(isPlainOkBox(takeBox(program), openFailurePrompt, openFailureTitle));
    EXPECT_EQ(program.waitForExit(), 2u);
}

// One value under HKEY_LOCAL_MACHINE that a test changes; what was there before (or its absence, and that
// of its key) comes back when the object goes. The Wine prefix is shared by every test.
class SavedValue {
public:
    SavedValue(std::string key, std::string name) : key_(std::move(key)), name_(std::move(name)) {
        HKEY k = nullptr;
        keyExisted_ = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, KEY_QUERY_VALUE, &k) == ERROR_SUCCESS;
        if (keyExisted_) {
            DWORD size = 0;
            if (::RegQueryValueExA(k, name_.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
                data_.resize(size);
                valueExisted_ = ::RegQueryValueExA(k, name_.c_str(), nullptr, &type_,
                                                   reinterpret_cast<BYTE*>(data_.data()), &size) == ERROR_SUCCESS;
                data_.resize(size);
            }
            ::RegCloseKey(k);
        }
    }
    ~SavedValue() {
        if (valueExisted_) {
            write(type_, data_);
        } else {
            remove();
        }
        if (!keyExisted_) {
            ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, key_.c_str());
        }
    }
    SavedValue(const SavedValue&) = delete;
    SavedValue& operator=(const SavedValue&) = delete;

    void set(const std::string& text) const { write(REG_SZ, text + '\0'); }
    void remove() const {
        HKEY k = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, KEY_SET_VALUE, &k) == ERROR_SUCCESS) {
            ::RegDeleteValueA(k, name_.c_str());
            ::RegCloseKey(k);
        }
    }

private:
    void write(DWORD type, const std::string& bytes) const {
        HKEY k = nullptr;
        ASSERT_EQ(
            ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr),
            ERROR_SUCCESS);
        EXPECT_EQ(::RegSetValueExA(k, name_.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                   static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
        ::RegCloseKey(k);
    }

    std::string key_, name_;
    bool keyExisted_ = false;
    bool valueExisted_ = false;
    DWORD type_ = REG_NONE;
    std::string data_;
};

class AboutBox : public Windows {
protected:
    // Where the system information program is registered: its file, and the directory that holds it.
    SavedValue programEntry{"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH"};
    SavedValue directoryEntry{"SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO"};
    std::string marks;

    void SetUp() override {
        Windows::SetUp();
        marks = app.file("marks.txt");
        programEntry.remove();
        directoryEntry.remove();
    }

    // Quellary, with every program it starts leaving its marks in `marks`.
    Launch launch() const {
        Launch l = app.quellary();
        l.environment["QUELLARY_MARK_FILE"] = marks;
        return l;
    }

    static HWND openAbout(Program& program) {
        const HWND main = mainWindow(program);
        if (main == nullptr || !press(main, main_window::idCmdAbout)) {
            return nullptr;
        }
        return program.waitForWindow("QuellaryAbout");
    }

    // Waits until the programs started have left this many marks.
    bool marksReach(std::size_t count) const {
        return waitUntil(
            [&] {
                const std::string got = readFile(marks);
                return static_cast<std::size_t>(std::count(got.begin(), got.end(), '\n')) >= count;
            },
            10s);
    }

    // Presses System Info and expects the unavailable box; the About box stays open.
    void expectUnavailable(Program& program, HWND about) {
        ASSERT_TRUE(press(about, about_box::idCmdSysInfo));
        EXPECT_TRUE(isPlainOkBox(takeBox(program), "System Information Is Unavailable At This Time", "Quellary"));
        EXPECT_TRUE(::IsWindowVisible(about));
    }
};

TEST_F(AboutBox, ShowsTitleAndVersion) {
    Program program(launch());
    const HWND about = openAbout(program);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(text(about), "About Quellary");
    EXPECT_EQ(controlText(about, about_box::idLblTitle), "Quellary");
    EXPECT_EQ(controlText(about, about_box::idLblVersion), "Version 3.1.0");
    EXPECT_EQ(controlText(about, about_box::idLabel2), "If you like this program, send a note to ");
    EXPECT_TRUE(waitUntil([&] { return ::GetDlgCtrlID(focusedControl(about)) == about_box::idCmdOK; }, 5s));
    EXPECT_NE(::GetWindow(about, GW_OWNER), nullptr) << "owned, so no taskbar button of its own";
    RECT client;
    ::GetClientRect(about, &client);
    EXPECT_EQ(client.right, 5730 / 15);
    EXPECT_EQ(client.bottom, 3555 / 15);
    ::Sleep(300);
    EXPECT_TRUE(screenshot(about, screenshotDirectory() + "\\about.bmp"));
}

TEST_F(AboutBox, EscAndEnterCloseItUnlessEnterIsOnSystemInfo) {
    app.install("mark_program.exe");
    programEntry.set(app.file("mark_program.exe"));
    Program program(launch());
    for (const WPARAM key : {VK_ESCAPE, VK_RETURN}) {
        SCOPED_TRACE(key == VK_ESCAPE ? "Esc" : "Enter");
        const HWND about = openAbout(program);
        ASSERT_NE(about, nullptr);
        ASSERT_TRUE(waitUntil([&] { return ::GetDlgCtrlID(focusedControl(about)) == about_box::idCmdOK; }, 5s));
        pressKey(focusedControl(about), key);
        EXPECT_TRUE(waitUntil([&] { return program.windows("QuellaryAbout").empty(); }, 5s));
    }
    const HWND about = openAbout(program);
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(waitUntil([&] { return ::GetDlgCtrlID(focusedControl(about)) == about_box::idCmdOK; }, 5s));
    pressKey(focusedControl(about), VK_TAB);
    ASSERT_TRUE(waitUntil([&] { return ::GetDlgCtrlID(focusedControl(about)) == about_box::idCmdSysInfo; }, 5s));
    pressKey(focusedControl(about), VK_RETURN);
    EXPECT_TRUE(marksReach(1));
    EXPECT_TRUE(::IsWindowVisible(about));
    EXPECT_EQ(readFile(marks), "mark_program.exe show=1\r\n");
}

TEST_F(AboutBox, TheProgramEntryIsStartedAsItStandsEachTimeSystemInfoIsPressed) {
    // The directory entry names a program too, which must not be the one started.
    app.installTo("mark_program.exe", app.path(), "MSINFO32.EXE");
    directoryEntry.set(app.path());
    app.installTo("mark_program.exe", app.path(), "system info.exe");
    programEntry.set(app.file("system info.exe"));
    Program program(launch());
    const HWND about = openAbout(program);
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(press(about, about_box::idCmdSysInfo));
    ASSERT_TRUE(marksReach(1));
    ASSERT_TRUE(press(about, about_box::idCmdSysInfo));
    ASSERT_TRUE(marksReach(2));
    EXPECT_EQ(readFile(marks), "system info.exe show=1\r\nsystem info.exe show=1\r\n");
    EXPECT_EQ(program.waitForMessageBox(200ms), nullptr);

    // Named but not there: nothing to start.
    programEntry.set(app.file("gone.exe"));
    expectUnavailable(program, about);
}

TEST_F(AboutBox, TheDirectoryEntryNeedsTheProgramFileInIt) {
    directoryEntry.set(app.path());
    Program program(launch());
    const HWND about = openAbout(program);
    ASSERT_NE(about, nullptr);
    expectUnavailable(program, about);

    app.installTo("mark_program.exe", app.path(), "MSINFO32.EXE");
    ASSERT_TRUE(press(about, about_box::idCmdSysInfo));
    ASSERT_TRUE(marksReach(1));
    EXPECT_EQ(readFile(marks), "MSINFO32.EXE show=1\r\n");
}

TEST_F(AboutBox, NoEntryMeansUnavailable) {
    Program program(launch());
    const HWND about = openAbout(program);
    ASSERT_NE(about, nullptr);
    expectUnavailable(program, about);
    EXPECT_FALSE(fileExists(marks));
}

} // namespace
