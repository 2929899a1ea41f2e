#include "windows/frmAbout.h"

#include "program/app_info.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/program.h"
#include "platform/ui.h"
#include "windows/about_text.h"
#include "windows/frmAbout_layout.h"

#include <exception>

namespace quellary {

using namespace about_box;

namespace {

// Where the system information program is registered: its file, or else the directory that holds it.
constexpr const char* sysInfoFileKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* sysInfoFileValue = "PATH";
constexpr const char* sysInfoDirectoryKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr const char* sysInfoDirectoryValue = "MSINFO";

// The system information program's path, or empty when the registry names none that exists.
std::string sysInfoPath() {
    std::string path;
    if (frmAbout::GetKeyValue(HKEY_LOCAL_MACHINE, sysInfoFileKey, sysInfoFileValue, path)) {
        return path;
    }
    if (!frmAbout::GetKeyValue(HKEY_LOCAL_MACHINE, sysInfoDirectoryKey, sysInfoDirectoryValue, path)) {
        return {};
    }
    path.append(sysInfoFileName);
    return fileExists(path) ? path : std::string();
}

} // namespace

frmAbout::frmAbout() : Form(about_box::form) {}

void frmAbout::load() {
    setCaption("About " + std::string(appTitle));
    setControlText(idLblVersion, "Version " + versionText());
    setControlText(idLblTitle, appTitle);
}

void frmAbout::StartSysInfo() {
    bool started = false;
    try {
        const std::string path = sysInfoPath();
        if (!path.empty()) {
            StartOptions options;
            options.showWindow = SW_SHOWNORMAL;
            options.application = path;
            // The process runs on by itself: its handles are closed at once.
            started = startProgram("\"" + path + "\"", options).processId != 0;
        }
    } catch (const std::exception&) {
        started = false;
    }
    if (!started) {
        messageBox(sysInfoUnavailableText, appTitle, MB_OK);
    }
}

bool frmAbout::GetKeyValue(HKEY KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                           std::string& KeyVal) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(KeyRoot, KeyName.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }
    const UniqueKey key(opened);
    std::string buffer(keyValueBufferSize, '\0');
    DWORD size = keyValueBufferSize;
    DWORD type = REG_NONE;
    // Values larger than the buffer are refused rather than read in part.
    if (::RegQueryValueExA(key.get(), SubKeyRef.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                           &size) != ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }
    buffer.resize(size);
    if (std::optional<std::string> text = keyValueText(buffer, type)) {
        KeyVal = std::move(*text);
    }
    return true;
}

void frmAbout::onCommand(int id, int notifyCode) {
    if (notifyCode != BN_CLICKED) {
        return;
    }
    switch (id) {
    case idCmdOK:
    case IDCANCEL: // Esc
        ::DestroyWindow(hwnd());
        break;
    case idCmdSysInfo:
        StartSysInfo();
        break;
    default:
        break;
    }
}

bool frmAbout::onMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg != DM_GETDEFID) {
        return false;
    }
    // Enter presses the push button that has the focus, and OK anywhere else, as in a dialog.
    const HWND focus = ::GetFocus();
    const bool onButton = focus != nullptr && ::IsChild(hwnd(), focus) &&
                          (::SendMessageA(focus, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON) != 0;
    result = MAKELRESULT(onButton ? ::GetDlgCtrlID(focus) : idCmdOK, DC_HASDEFID);
    return true;
}

} // namespace quellary
