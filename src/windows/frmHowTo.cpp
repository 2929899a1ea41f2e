#include "windows/frmHowTo.h"

#include "app/frmMain.h"
#include "windows/frmHowTo_layout.h"

namespace quellary {

frmHowTo::frmHowTo(frmMain& main) : Form(help_window::form), main_(main) {}

void frmHowTo::load() {}

bool frmHowTo::onQueryClose() {
    if (main_.isOpen()) {
        ::SetActiveWindow(main_.hwnd());
        ::SetFocus(main_.hwnd());
    }
    return true;
}

} // namespace quellary
