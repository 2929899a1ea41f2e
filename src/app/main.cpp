#include "app/frmMain.h"

#include "app/app_info.h"
#include "app/frmMain_layout.h"
#include "app/run_log.h"
#include "app/startup.h"
#include "platform/files.h"
#include "platform/program.h"
#include "platform/ui.h"
#include "termination/current_item.h"
#include "windows/frmAbout.h"
#include "windows/frmHowTo.h"

#include <commctrl.h>

#include <exception>
#include <string>

using namespace quellary;

namespace {

void endOnUnexpectedFailure(const std::string& report) {
    messageBox(report);
    endProgram(exitNotCarriedOut);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    setApplicationTitle(appTitle);
    setUnexpectedFailureHandler(endOnUnexpectedFailure);
    if (!boxesCanBeSeen(isStartArgument(argumentText()), windowStationIsVisible())) {
        keepBoxesUnseen();
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    // One instance of each window for the whole program; the help window and the main window know each other.
    struct Forms {
        frmAbout about;
        frmHowTo howTo{main};
        frmMain main{howTo, about};
    };
    static Forms forms;
    frmMain& main = forms.main;

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
        const std::string report =
            std::string(appTitle) + " has met an unexpected failure and must end:\r\n" + e.what();
        messageBox(report);
        main.quit(exitNotCarriedOut, report);
    }
}
