// The help window: how the task list file works, and what it holds now.
#pragma once

#include "platform/window.h"

namespace quellary {

class frmMain;

class frmHowTo final : public Form {
public:
    explicit frmHowTo(frmMain& main);

    // Fills the window; ends the program when the task list file cannot be shown.
    void load() override;

protected:
    bool onQueryClose() override;

private:
    frmMain& main_;
};

} // namespace quellary
