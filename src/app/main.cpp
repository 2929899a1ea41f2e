#include "app/frmMain.h"

#include "app/frmMain_layout.h"
#include "app/run_log.h"
#include "app/startup.h"
#include "app/usage.h"
#include "platform/common_controls.h"
#include "platform/files.h"
#include "platform/program.h"
#include "platform/standard_output.h"
#include "platform/ui.h"
#include "program/app_info.h"
#include "termination/current_item.h"
#include "windows/frmAbout.h"
#include "windows/frmHowTo.h"

#include <exception>
#include <string>

using namespace quellary;

namespace {

// One instance of each window for the whole program. The main window is made before the help window, which holds
// it as its owner.
frmMain& mainWindow() {
    struct Forms {
        frmAbout about;
        frmMain main{howTo, about};
        frmHowTo howTo{main, {executableDirectory(), frmMain::taskListPath(), [](int exitCode, std::string_view why) {
                                  mainWindow().quit(exitCode, why);
                              }}};
    };
    static Forms forms;
    return forms.main;
}

// The last resort of a window procedure and of the start-up: a run under way still leaves its record.
[[noreturn]] void endOnUnexpectedFailure(const std::string& report) {
    messageBox(report);
    mainWindow().quit(exitNotCarriedOut, report);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // A library planted beside the program must not run with its rights: every library loaded from here on, by us
    // or by the system's own libraries on our behalf, comes from the system folder alone.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    takeStandardOutput();
    setApplicationTitle(appTitle);
    setUnexpectedFailureHandler(endOnUnexpectedFailure);
    const Mode mode = modeFor(argumentText());
    if (!boxesCanBeSeen(mode, windowStationIsVisible(), runsInSessionZero())) {
        keepBoxesUnseen();
    }
    // Asked how to use it, the program does nothing else: no check, no window of its own, no record.
    if (mode == Mode::Help) {
        messageBox(usageText(runLogPath().value_or("%LOCALAPPDATA%\\Quellary\\quellary.log")));
        endProgram(exitDone);
    }
    (void)initCommonControls(ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES);

    frmMain& main = mainWindow();

    if (!main.create()) {
        messageBox("The main window could not be created: " + systemErrorText(::GetLastError()));
        exitProgram(exitNotCarriedOut, nullptr);
    }
    keepCurrentItem(main.control(main_window::idList1));
    try {
        main.load();
        main.showAndActivate();
        main.quit(runMessageLoop());
    } catch (const std::exception& e) {
        endOnUnexpectedFailure(applicationTitle() + " has met an unexpected failure and must end:\r\n" + e.what());
    }
}
