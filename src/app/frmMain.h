// The main window: start-up checks, the task check-list and the four commands.
#pragma once

#include "program/run_record.h"
#include "platform/check_list.h"
#include "platform/window.h"

#include <optional>
#include <string>

namespace quellary {

class frmHowTo;
class frmAbout;
class TerminationRun;
struct RunOutcome;
struct RunSettings;
struct MessageText;
enum class GuardedPart;

class frmMain final : public Form {
public:
    frmMain(frmHowTo& howTo, frmAbout& about);

    // The start-up, run once after create() and before the window is first shown. Ends the program
    // where a check fails; with the argument "START" it runs the tasks unattended and ends.
    void load() override;

    // Every way out of the program while its windows live: a run under way ends its kill command, and the record
    // of a run that began and was not written yet goes to the log.
    [[noreturn]] void quit(int exitCode, std::string_view why = {});

    [[nodiscard]] CheckList list1() const;

    // The task list file: its name in the application directory.
    [[nodiscard]] static std::string taskListPath();

    void cmdStart_Click();
    void cmdRestart_Click();
    void cmdOptimize_Click();
    void cmdAbout_Click();

protected:
    void onCommand(int id, int notifyCode) override;
    bool onQueryClose() override;
    bool onMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // A window allows one run: Start is never enabled again.
    void disableStart();
    [[nodiscard]] RunSettings runSettings() const;
    // The look of "CHECK": what of the client runs, told by the exit code and the record; it ends nothing.
    [[noreturn]] void checkClient();
    // The state after a run: only Restart and the closing labels are offered.
    void showDoneState();
    // Ends the program as the run ended: its box, if it has one, then its exit code.
    [[noreturn]] void endAsTheRunEnded(const RunOutcome& outcome);
    [[noreturn]] void fail(const MessageText& message, UINT icon = 0);
    void centerOnScreen();
    // Ends the start-up of a run with administrator rights where others may change the part.
    void refuseWhatOthersMayChange(GuardedPart part, const std::string& path);
    void placeKillTool(const std::string& applicationDirectory);
    void fillTaskList(const std::string& taskListPath);
    void addToolTip();

    frmHowTo& howTo_;
    frmAbout& about_;
    HWND toolTip_ = nullptr;
    // "95", "NT", or empty: which command interpreter runs the kill tool.
    std::string osFamily_;
    // Where the kill tool lies: the Windows directory, or the application directory when the Windows
    // directory could not take a copy (a standard user's case). Ends in a backslash.
    std::string killToolDirectory_;
    bool killToolInWindowsDirectory_ = false;
    // The program, the task list and the mode, for the record of the run; an unattended start-up that fails
    // counts as a run that could not be carried out.
    RunRecord startup_;
    TerminationRun* activeRun_ = nullptr; // while Start runs, until its record is written
    std::optional<RunRecord> afterRun_;   // from the done state on: the run, for the record of how the program ends
};

} // namespace quellary
