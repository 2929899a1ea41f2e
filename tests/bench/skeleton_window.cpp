// What the start-up is measured against: the main window as designed (its controls, common controls 6, 28 ticked
// entries), made by the same form builder, with none of the start-up's checks.
#include "app/frmMain_layout.h"
#include "platform/check_list.h"
#include "platform/common_controls.h"
#include "platform/ui.h"
#include "platform/window.h"

#include <cstdio>
#include <string>
#include <vector>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace quellary;
    (void)initCommonControls(ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES);
    Form form(main_window::form);
    if (!form.create()) {
        return 1;
    }
    std::vector<std::string> names;
    for (int i = 0; i < 28; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "cvbench%03d.exe", i);
        names.emplace_back(name);
    }
    CheckList list(form.control(main_window::idList1));
    list.appendTicked(names);
    list.setCurrent(0);
    form.showAndActivate();
    return runMessageLoop();
}
