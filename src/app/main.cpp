#include "app/frmMain.h"

#include "app/app_info.h"
#include "app/startup.h"
#include "platform/files.h"
#include "platform/program.h"
#include "platform/ui.h"
#include "windows/frmAbout.h"
#include "windows/frmHowTo.h"

#include <commctrl.h>

using namespace quellary;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
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
        return exitNotCarriedOut;
    }
    main.load();
    main.showAndActivate();
    return runMessageLoop();
}
