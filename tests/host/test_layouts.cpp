#include "app/frmMain_layout.h"
#include "windows/frmAbout_layout.h"
#include "windows/frmHowTo_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

using namespace quellary;

namespace {

void checkForm(const FormSpec& form, const std::vector<std::string_view>& tabOrder) {
    SCOPED_TRACE(std::string(form.className));
    std::set<int> ids;
    std::vector<std::pair<int, std::string_view>> tabs;
    for (const ControlSpec& c : form.controls) {
        SCOPED_TRACE(std::string(c.name));
        EXPECT_TRUE(ids.insert(c.id).second) << "control id used twice";
        EXPECT_GT(c.id, 0);
        const TwipsRect r = formRect(c, form.controls);
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.left + r.width, form.clientWidth) << "sticks out on the right";
        EXPECT_LE(r.top + r.height, form.clientHeight) << "sticks out at the bottom";
        if (c.tabIndex >= 0 && !isDecoration(c.kind) && c.kind != ControlKind::Frame && c.kind != ControlKind::Label &&
            c.kind != ControlKind::CenteredLabel) {
            tabs.emplace_back(c.tabIndex, c.name);
        }
    }
    std::sort(tabs.begin(), tabs.end());
    std::vector<std::string_view> order;
    for (const auto& t : tabs) {
        order.push_back(t.second);
    }
    EXPECT_EQ(order, tabOrder);
}

} // namespace

TEST(Layouts, MainWindow) {
    checkForm(main_window::form, {"List1", "cmdStart", "cmdAbout", "cmdOptimize", "cmdRestart"});
    // Image1 sits inside Frame1, measured from the frame's corner.
    const TwipsRect image = formRect(main_window::controls[1], main_window::controls);
    EXPECT_EQ(image.left, 120 + 90);
    EXPECT_EQ(image.top, 105 + 225);
}

TEST(Layouts, HelpWindow) {
    checkForm(help_window::form, {"txtTaskList", "txtHowTo"});
}

TEST(Layouts, AboutBox) {
    checkForm(about_box::form, {"cmdOK", "cmdSysInfo"});
}

TEST(Layouts, TwipsBecomePixelsAtTheWindowsDpi) {
    EXPECT_EQ(twipsToPixels(1440, 96), 96);
    EXPECT_EQ(twipsToPixels(6120, 96), 408);
    EXPECT_EQ(twipsToPixels(6120, 144), 612);
    EXPECT_EQ(twipsToPixels(7, 96), 0);
    EXPECT_EQ(twipsToPixels(8, 96), 1);
    EXPECT_EQ(fontHeightPixels(1200, 96), -16);
    EXPECT_EQ(fontHeightPixels(975, 96), -13);
    EXPECT_EQ(fontHeightPixels(1800, 192), -48);
}
