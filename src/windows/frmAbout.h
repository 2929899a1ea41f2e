// The About box: title, version, and a way to the system information program.
#pragma once

#include "platform/window.h"

#include <string>

namespace quellary {

class frmAbout final : public Form {
public:
    frmAbout();

    void load() override;

    // Starts the system information program the registry names, or says that there is none.
    void StartSysInfo();

    // Reads one registry value below a root key as text into `KeyVal`; true when it was read. A value of a
    // type without a text form counts as read and leaves `KeyVal` as it was. Asks only for the right to
    // read, which every user has where a value is meant to be read.
    static bool GetKeyValue(HKEY KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                            std::string& KeyVal);

protected:
    void onCommand(int id, int notifyCode) override;
    bool onMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
};

} // namespace quellary
