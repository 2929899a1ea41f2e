#include "app/frmMain.h"

#include "app/admin_guard.h"
#include "program/app_info.h"
#include "app/frmMain_layout.h"
#include "app/run_log.h"
#include "program/Module1.h"
#include "app/startup.h"
#include "app/task_list.h"
#include "platform/files.h"
#include "platform/program.h"
#include "platform/ui.h"
#include "restart/client_restart.h"
#include "restart/restart_plan.h"
#include "termination/looks.h"
#include "termination/prompt_policy.h"
#include "termination/termination_run.h"
#include "windows/frmAbout.h"
#include "windows/frmHowTo.h"

#include <commctrl.h>

namespace quellary {

using namespace main_window;

namespace {

// The check-box list as the run sees it.
class ListOnScreen final : public TaskSheet {
public:
    explicit ListOnScreen(CheckList list) : list_(list) {}
    [[nodiscard]] int count() const override { return list_.count(); }
    [[nodiscard]] std::string text(int index) const override { return list_.text(index); }
    [[nodiscard]] bool isTicked(int index) const override { return list_.isTicked(index); }
    void setTicked(int index, bool ticked) override { list_.setTicked(index, ticked); }
    void append(const std::string& text) override { list_.appendTicked({text}); }
    void remove(int index) override { list_.remove(index); }
    [[nodiscard]] int current() const override { return list_.current(); }
    void setCurrent(int index) override { list_.setCurrent(index); }

private:
    CheckList list_;
};

} // namespace

frmMain::frmMain(frmHowTo& howTo, frmAbout& about) : Form(main_window::form), howTo_(howTo), about_(about) {}

void frmMain::quit(int exitCode, std::string_view why) {
    if (activeRun_ != nullptr) {
        activeRun_->stop(why);
        exitProgram(exitCode, &activeRun_->outcome().record, why);
    }
    if (afterRun_) {
        exitProgram(exitCode, &*afterRun_, why.empty() ? "closed" : why);
    }
    // A window closed before Start ran nothing; a start-up that refused to go on is a run that was not carried out.
    exitProgram(exitCode, startup_.unattended || exitCode != exitDone ? &startup_ : nullptr, why);
}

void frmMain::fail(const MessageText& message, UINT icon) {
    messageBox(message.prompt, message.title, MB_OK | icon);
    quit(exitNotCarriedOut, message.prompt);
}

CheckList frmMain::list1() const {
    return CheckList(control(idList1));
}

std::string frmMain::taskListPath() {
    return withTrailingBackslash(executableDirectory()) + std::string(taskListFileName);
}

void frmMain::load() {
    stampRunRecord(startup_);
    startup_.programPath = executablePath();
    startup_.taskListPath = taskListPath();
    startup_.check = isCheckArgument(argumentText());
    startup_.unattended = startup_.check || isStartArgument(argumentText());

    centerOnScreen();
    setCaption(mainCaption());
    refuseWhatOthersMayChange(GuardedPart::ProgramFolder, executableDirectory());
    placeKillTool(withTrailingBackslash(executableDirectory()));
    refuseWhatOthersMayChange(GuardedPart::KillTool, killToolDirectory_ + std::string(killToolName));

    const std::string taskListPath = frmMain::taskListPath();
    if (!fileExists(taskListPath)) {
        const MessageText ask = createTaskListMessage();
        if (messageBox(ask.prompt, ask.title, MB_YESNO) == IDNO) {
            quit(exitNotCarriedOut, "no task list file, and none was to be created");
        }
        FileError error;
        if (!writeNewFile(taskListPath, defaultTaskListText(), &error)) {
            fail(taskListNotCreatedMessage(taskListPath, error.description));
        }
    }
    refuseWhatOthersMayChange(GuardedPart::TaskList, taskListPath);
    fillTaskList(taskListPath);
    // After the filling: the tip watches the list through the common controls' subclassing, which under Wine costs
    // a round trip to the server for every message the list gets.
    addToolTip();

    const int code = platformCode();
    if (code == unidentifiedPlatformCode) {
        fail(unidentifiedOsMessage());
    }
    osFamily_ = osFamilyFor(code);

    if (startup_.check) {
        checkClient();
    }
    if (startup_.unattended) {
        cmdStart_Click();
    }
}

// A look only: no mutex, result file or kill command.
void frmMain::checkClient() {
    std::string clientFolder;
    if (const std::optional<ClientEntry> client = readClientEntry()) {
        clientFolder = client->path;
    }
    const RunOutcome outcome = quellary::checkClient(textsOf(ListOnScreen(list1())), clientFolder,
                                                     killToolDirectory_ + std::string(killToolName), startup_);
    if (!outcome.box.empty()) {
        messageBox(outcome.box, {}, MB_OK, hwnd());
    }
    exitProgram(outcome.exitCode, &outcome.record, outcome.why);
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
        // A copy that another version left there would judge this version's runs by its own rules: it is
        // replaced where it may be, and passed over where it may not.
        const bool inWindowsDirectory = fileExists(windowsDirectory + name);
        if (inWindowsDirectory && fileVersion(windowsDirectory + name) == ownVersion) {
            killToolDirectory_ = windowsDirectory;
            killToolInWindowsDirectory_ = true;
            return;
        }
        if (!fileExists(applicationDirectory + name)) {
            fail(killToolMissingMessage(windowsDirectory, applicationDirectory));
        }
        // Copied into the Windows directory, the tool would run in every later run, whoever started it.
        refuseWhatOthersMayChange(GuardedPart::KillTool, applicationDirectory + name);
        if (copied || !copyFileTo(applicationDirectory + name, windowsDirectory + name, inWindowsDirectory)) {
            killToolDirectory_ = applicationDirectory;
            return;
        }
        copied = true;
    }
}

void frmMain::refuseWhatOthersMayChange(GuardedPart part, const std::string& path) {
    if (const std::optional<MessageText> refusal = refusalFor(part, path)) {
        fail(*refusal);
    }
}

void frmMain::fillTaskList(const std::string& taskListPath) {
    FileError error;
    const std::optional<std::string> text = readTextFile(taskListPath, &error);
    if (!text) {
        fail(taskListUnreadableMessage(taskListPath, error.description));
    }
    if (text->find('\0') != std::string::npos) {
        fail(taskListNotTextMessage(taskListPath));
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

RunSettings frmMain::runSettings() const {
    RunSettings settings;
    settings.osFamily = osFamily_;
    settings.tool =
        killToolPlace(killToolDirectory_, killToolInWindowsDirectory_, withTrailingBackslash(systemDirectory()));
    settings.resultFileCandidates = resultFileCandidates();
    settings.unattended = startup_.unattended;
    settings.promptDisabled = promptDisabled();
    if (const std::optional<ClientEntry> client = readClientEntry()) {
        settings.clientFolder = client->path;
    }
    return settings;
}

void frmMain::cmdStart_Click() {
    disableStart();
    TerminationRun run(runSettings(), startup_);
    activeRun_ = &run;
    ListOnScreen list(list1());
    const RunOutcome& outcome = run.run(list);
    if (outcome.exitCode == exitNotCarriedOut || startup_.unattended) {
        endAsTheRunEnded(outcome);
    }
    // A program the list leaves out may be left out on purpose (an updater): only the user may have it ended.
    if (!outcome.record.unlistedLeftRunning.empty() &&
        messageBox(unlistedProgramsQuestion(outcome.record.unlistedLeftRunning), {}, MB_YESNO | MB_ICONQUESTION,
                   hwnd()) == IDYES &&
        run.endUnlisted(list).exitCode == exitNotCarriedOut) {
        endAsTheRunEnded(outcome);
    }
    if (const std::vector<Unconfirmed> unconfirmed = run.unconfirmed(); !unconfirmed.empty()) {
        messageBox(unconfirmedMessage(unconfirmed), {}, MB_OK, hwnd());
    }
    const std::vector<UnusableEntry> unusable = run.unusable();
    if (!unusable.empty()) {
        messageBox(unusableEntriesMessage(unusable), {}, MB_OK, hwnd());
    }
    const std::optional<PruneOutcome> pruned = run.prune(list);
    if (!pruned) {
        endAsTheRunEnded(outcome);
    }
    if (*pruned == PruneOutcome::ListEmpty && noneWasActive(outcome.record.tasks)) {
        messageBox(noTasksActiveText, noTasksActiveTitle, MB_OK, hwnd());
    }
    // Recorded before it shows: a program closed at once from the done state still leaves its record.
    writeRunRecord(outcome.record, "done state");
    // How the program then ends (Restart, closed) goes to a block of its own under the same time.
    afterRun_ = outcome.record;
    afterRun_->tasks.clear();
    afterRun_->unlistedLeftRunning.clear();
    afterRun_->unlistedUnread.clear();
    activeRun_ = nullptr;
    showDoneState();
}

void frmMain::endAsTheRunEnded(const RunOutcome& outcome) {
    if (!outcome.box.empty()) {
        messageBox(outcome.box, {}, MB_OK, hwnd());
    }
    quit(outcome.exitCode, outcome.why);
}

bool frmMain::onQueryClose() {
    if (activeRun_ != nullptr) {
        quit(exitNotCarriedOut, mainWindowClosed);
    }
    return true;
}

bool frmMain::onMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT&) {
    // The system may end the process as soon as this returns: the run must end its command first.
    if (msg == WM_ENDSESSION && wParam != FALSE && activeRun_ != nullptr) {
        quit(exitNotCarriedOut, sessionEnded);
    }
    if (msg == WM_ENDSESSION && wParam != FALSE && afterRun_) {
        quit(exitDone, "the Windows session ended");
    }
    return false;
}

void frmMain::cmdRestart_Click() {
    switch (restartClient().outcome) {
    case RestartOutcome::Started:
        doEvents();
        quit(exitDone, "Restart started Corvana");
    case RestartOutcome::StartFailed:
        messageBox(clientStartFailureText, {}, MB_OK);
        quit(exitNotCarriedOut, clientStartFailureText);
    case RestartOutcome::Abandoned:
        break;
    }
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
