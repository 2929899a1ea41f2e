// The main window: start-up checks, the task check-list and the four commands.
#pragma once

#include "platform/check_list.h"
#include "platform/window.h"

#include <string>

namespace quellary {

class frmHowTo;
class frmAbout;
class TerminationRun;

class frmMain final : public Form {
public:
    frmMain(frmHowTo& howTo, frmAbout& about);

    // The start-up, run once after create() and before the window is first shown. Ends the program
    // itself where a check fails; with the argument "START" it runs the tasks unattended and ends.
    void load() override;

    [[nodiscard]] CheckList list1() const;

    // The task list file: its name in the application directory.
    [[nodiscard]] static std::string taskListPath();

    // "95", "NT", or empty: which command interpreter runs the kill tool.
    std::string OSFamily;
    // Where the kill tool lies: the Windows directory, or the application directory when the Windows
    // directory could not take a copy (a standard user's case). Ends in a backslash.
    std::string killToolDirectory;
    bool killToolInWindowsDirectory = false;

    void cmdStart_Click();
    void cmdRestart_Click();
    void cmdOptimize_Click();
    void cmdAbout_Click();

    // A window allows one run: Start is never enabled again.
    void disableStart();
    // The state after a run: only Restart and the closing labels are offered.
    void showDoneState();

protected:
    void onCommand(int id, int notifyCode) override;
    bool onQueryClose() override;
    bool onMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void centerOnScreen();
    void placeKillTool(const std::string& applicationDirectory);
    void fillTaskList(const std::string& taskListPath);
    void addToolTip();

    frmHowTo& howTo_;
    frmAbout& about_;
    HWND toolTip_ = nullptr;
    TerminationRun* activeRun_ = nullptr; // while Start runs
};

} // namespace quellary
