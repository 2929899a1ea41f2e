// The About box: title, version, and a way to the system information program.
#pragma once

#include "platform/window.h"

namespace quellary {

class frmAbout final : public Form {
public:
    frmAbout();

    void load();

protected:
    void onCommand(int id, int notifyCode) override;
};

} // namespace quellary
