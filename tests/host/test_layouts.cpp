#include "app/frmMain_layout.h"
#include "windows/frmAbout_layout.h"
#include "windows/frmHowTo_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

using namespace quellary;

namespace {

bool takesTheFocus(ControlKind kind) {
    return !isDecoration(kind) && kind != ControlKind::Frame && kind != ControlKind::Label &&
           kind != ControlKind::CenteredLabel;
}

// The tab order is the order in which the form builder makes the controls that take the focus.
void checkForm(const FormSpec& form, const std::vector<std::string_view>& tabOrder) {
    SCOPED_TRACE(std::string(form.className));
    std::set<int> ids;
    for (const ControlSpec& c : form.controls) {
        SCOPED_TRACE(std::string(c.name));
        EXPECT_TRUE(ids.insert(c.id).second) << "control id used twice";
        EXPECT_GT(c.id, 0);
        const TwipsRect r = formRect(c, form.controls);
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.left + r.width, form.clientWidth) << "sticks out on the right";
        EXPECT_LE(r.top + r.height, form.clientHeight) << "sticks out at the bottom";
    }
    std::vector<std::string_view> order;
    std::string_view previous;
    for (const std::size_t i : creationOrder(form.controls)) {
        const ControlSpec& c = form.controls[i];
        if (takesTheFocus(c.kind)) {
            order.push_back(c.name);
            EXPECT_TRUE(c.tabIndex >= 0) << c.name;
        }
        if (!previous.empty()) {
            EXPECT_EQ(previous, c.name) << "a label is made just before the control it names";
        }
        previous = c.labelFor;
    }
    EXPECT_TRUE(previous.empty()) << "a label names a control that is not in its window: " << previous;
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
