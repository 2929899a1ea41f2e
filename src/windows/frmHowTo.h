// The help window: how the task list file works, and what it holds now.
#pragma once

#include "platform/window.h"

#include <functional>
#include <string>
#include <string_view>

namespace quellary {

struct HowToInputs {
    std::string applicationDirectory; // as the platform reports it
    std::string taskListPath;
    // Every way out goes through the main window, so that a run under way leaves its record; never returns.
    std::function<void(int exitCode, std::string_view why)> quit;
};

class frmHowTo final : public Form {
public:
    // `owner` gets the focus back when the window closes.
    frmHowTo(const Form& owner, HowToInputs inputs);

    // Fills the window; ends the program when the task list file cannot be shown.
    void load() override;

protected:
    bool onQueryClose() override;

private:
    const Form& owner_;
    HowToInputs inputs_;
};

} // namespace quellary
