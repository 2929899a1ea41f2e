#include "windows/frmAbout.h"

#include "app/app_info.h"
#include "windows/frmAbout_layout.h"

namespace quellary {

using namespace about_box;

frmAbout::frmAbout() : Form(about_box::form) {}

void frmAbout::load() {
    setCaption("About " + std::string(appTitle));
    setControlText(idLblVersion, "Version " + versionText());
    setControlText(idLblTitle, appTitle);
}

void frmAbout::onCommand(int id, int notifyCode) {
    if (notifyCode != BN_CLICKED) {
        return;
    }
    if (id == idCmdOK || id == IDCANCEL) {
        ::DestroyWindow(hwnd());
    }
}

} // namespace quellary
