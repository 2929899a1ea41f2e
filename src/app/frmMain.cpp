#include "app/frmMain.h"

#include "app/app_info.h"
#include "app/frmMain_layout.h"
#include "app/run_log.h"
#include "app/startup.h"
#include "app/task_list.h"
#include "platform/files.h"
#include "platform/program.h"
#include "platform/ui.h"
#include "restart/client_restart.h"
#include "termination/termination_run.h"
#include "windows/frmAbout.h"
#include "windows/frmHowTo.h"

#include <commctrl.h>

namespace quellary {

using namespace main_window;

namespace {

// A start-up that ends the program: an unattended run, which could not be carried out, leaves its record.
[[noreturn]] void endStartup(std::string_view why) {
    if (runRecord().unattended) {
        endRun(exitNotCarriedOut, why);
    }
    endProgram(exitNotCarriedOut);
}

[[noreturn]] void fail(const MessageText& message, UINT icon = 0) {
    messageBox(message.prompt, message.title, MB_OK | icon);
    endStartup(message.prompt);
}

} // namespace

frmMain::frmMain(frmHowTo& howTo, frmAbout& about) : Form(main_window::form), howTo_(howTo), about_(about) {}

CheckList frmMain::list1() const {
    return CheckList(control(idList1));
}

std::string frmMain::taskListPath() {
    return withTrailingBackslash(executableDirectory()) + std::string(taskListFileName);
}

void frmMain::load() {
    stampRunRecord();
    RunRecord& record = runRecord();
    record.programPath = executablePath();
    record.taskListPath = taskListPath();
    record.unattended = isStartArgument(argumentText());

    centerOnScreen();
    setCaption(mainCaption());
    placeKillTool(withTrailingBackslash(executableDirectory()));

    const std::string taskListPath = frmMain::taskListPath();
    if (!fileExists(taskListPath)) {
        const MessageText ask = createTaskListMessage();
        if (messageBox(ask.prompt, ask.title, MB_YESNO) == IDNO) {
            endStartup("no task list file, and none was to be created");
        }
        FileError error;
        if (!writeNewFile(taskListPath, defaultTaskListText(), &error)) {
            fail(taskListNotCreatedMessage(taskListPath, error.description));
        }
    }
    fillTaskList(taskListPath);
    // After the filling: the tip watches the list through the common controls' subclassing, which under Wine costs
    // a round trip to the server for every message the list gets.
    addToolTip();

    const int code = platformCode();
    if (code == unidentifiedPlatformCode) {
        fail(unidentifiedOsMessage());
    }
    OSFamily = osFamilyFor(code);

    if (record.unattended) {
        cmdStart_Click();
    }
}

void frmMain::centerOnScreen() {
    RECT r;
    ::GetWindowRect(hwnd(), &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    ::SetWindowPos(hwnd(), nullptr, ::GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2,
                   ::GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmMain::placeKillTool(const std::string& applicationDirectory) {
    const std::string name(killToolName);
    // One copy at most: if the copy cannot be found where it was made, or cannot be made at all (a
    // standard user may not write into the Windows directory), the tool runs where it already is.
    bool copied = false;
    for (;;) {
        const std::optional<std::string> windir = environmentVariable("windir");
        if (!windir || windir->empty()) {
            fail(windirMissingMessage(), MB_ICONHAND);
        }
        const std::string windowsDirectory = withTrailingBackslash(*windir);
        if (fileExists(windowsDirectory + name)) {
            killToolDirectory = windowsDirectory;
            killToolInWindowsDirectory = true;
            return;
        }
        if (!fileExists(applicationDirectory + name)) {
            fail(killToolMissingMessage(windowsDirectory, applicationDirectory));
        }
        if (copied || !copyFileTo(applicationDirectory + name, windowsDirectory + name)) {
            killToolDirectory = applicationDirectory;
            return;
        }
        copied = true;
    }
}

void frmMain::fillTaskList(const std::string& taskListPath) {
    FileError error;
    const std::optional<std::string> text = readTextFile(taskListPath, &error);
    if (!text) {
        fail(taskListUnreadableMessage(taskListPath, error.description));
    }
    const TaskList tasks = readTaskList(*text);
    if (const std::optional<MessageText> problem =
            taskListProblem(taskListPath, tasks.itemCount, tasks.entries.size())) {
        fail(*problem);
    }
    CheckList list = list1();
    list.appendTicked(tasks.entries);
    list.setCurrent(0);
}

void frmMain::addToolTip() {
    toolTip_ = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr,
                                 ::GetModuleHandleA(nullptr), nullptr);
    std::string text(list1ToolTip);
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(control(idList1));
    tool.lpszText = text.data();
    ::SendMessageA(toolTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void frmMain::disableStart() {
    ::EnableWindow(control(idCmdStart), FALSE);
}

void frmMain::showDoneState() {
    showControl(idCmdStart, false);
    showControl(idCmdOptimize, false);
    showControl(idCmdAbout, false);
    char empty[] = "";
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(control(idList1));
    tool.lpszText = empty;
    ::SendMessageA(toolTip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageA(toolTip_, TTM_POP, 0, 0); // a tip on show would stay up with the old text
    showControl(idCmdRestart, true);
    showControl(idLblEnd, true);
    showControl(idLblEndTitle, true);
}

void frmMain::cmdStart_Click() {
    TerminationRun run(*this);
    activeRun_ = &run;
    run.run();
    activeRun_ = nullptr;
}

bool frmMain::onQueryClose() {
    if (activeRun_ != nullptr) {
        activeRun_->interrupt(mainWindowClosed);
    }
    return true;
}

bool frmMain::onMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT&) {
    // The system may end the process as soon as this returns: the run must end its command first.
    if (msg == WM_ENDSESSION && wParam != FALSE && activeRun_ != nullptr) {
        activeRun_->interrupt(sessionEnded);
    }
    return false;
}

void frmMain::cmdRestart_Click() {
    runRestartCommand();
}

void frmMain::cmdOptimize_Click() {
    howTo_.openModeless();
}

void frmMain::cmdAbout_Click() {
    about_.openModeless();
}

void frmMain::onCommand(int id, int notifyCode) {
    if (notifyCode != BN_CLICKED) {
        return;
    }
    switch (id) {
    case idCmdStart:
        cmdStart_Click();
        break;
    case idCmdRestart:
        cmdRestart_Click();
        break;
    case idCmdOptimize:
        cmdOptimize_Click();
        break;
    case idCmdAbout:
        cmdAbout_Click();
        break;
    default: // Enter and Esc have no button of their own here
        break;
    }
}

} // namespace quellary
