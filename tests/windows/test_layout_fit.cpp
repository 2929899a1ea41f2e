// Every caption of every window reads whole: its text, laid out as its control draws it in the font the
// control really has, fits the control's client rectangle at the window's DPI.
#include "app/frmMain_layout.h"
#include "platform/common_controls.h"
#include "platform/window.h"
#include "windows/frmAbout.h"
#include "windows/frmAbout_layout.h"
#include "windows/frmHowTo_layout.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

using namespace quellary;

namespace {

bool isCaption(ControlKind kind) {
    return kind == ControlKind::Label || kind == ControlKind::CenteredLabel || kind == ControlKind::Button ||
           kind == ControlKind::DefaultButton;
}

// The control's own text measured as a static control or a push button draws it: labels wrap at word
// breaks within their width, buttons keep one line inside their border.
testing::AssertionResult fits(HWND control, ControlKind kind) {
    char text[1024];
    ::GetWindowTextA(control, text, sizeof text);
    RECT client{};
    ::GetClientRect(control, &client);
    const bool isLabel = kind == ControlKind::Label || kind == ControlKind::CenteredLabel;
    if (!isLabel) {
        const int border = ::GetSystemMetricsForDpi(SM_CXEDGE, ::GetDpiForWindow(control)) * 2;
        ::InflateRect(&client, -border, -border);
    }
    const HDC dc = ::GetDC(control);
    const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)));
    char face[LF_FACESIZE] = {};
    ::GetTextFaceA(dc, LF_FACESIZE, face);
    RECT needed{0, 0, client.right - client.left, 0};
    ::DrawTextA(dc, text, -1, &needed, DT_CALCRECT | (isLabel ? DT_WORDBREAK : DT_SINGLELINE));
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (needed.right <= width && needed.bottom <= height) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "\"" << text << "\" in " << face << " needs " << needed.right << "x"
                                       << needed.bottom << " pixels, has " << width << "x" << height;
}

void expectCaptionsFit(Form& form, const FormSpec& spec) {
    ASSERT_TRUE(form.create()) << ::GetLastError();
    form.load();
    for (const ControlSpec& c : spec.controls) {
        if (isCaption(c.kind)) {
            EXPECT_TRUE(fits(form.control(c.id), c.kind)) << spec.className << "." << c.name;
        }
    }
}

class LayoutFit : public testing::Test {
protected:
    void SetUp() override { (void)quellary::initCommonControls(ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES); }
};

TEST_F(LayoutFit, EveryCaptionOfTheMainWindowFitsAndTheListIsNamedByItsLabel) {
    Form main(main_window::form);
    expectCaptionsFit(main, main_window::form);
    EXPECT_EQ(::GetWindow(main.control(main_window::idList1), GW_HWNDPREV), main.control(main_window::idLabel1));
}

TEST_F(LayoutFit, EveryCaptionOfTheHelpWindowFitsAndTheFileIsNamedByItsLabel) {
    Form help(help_window::form);
    expectCaptionsFit(help, help_window::form);
    EXPECT_EQ(::GetWindow(help.control(help_window::idTxtTaskList), GW_HWNDPREV), help.control(help_window::idLabel1));
}

// A screen reader names a control without text of its own by the label just before it in z-order.
TEST_F(LayoutFit, TheListsAreNamedByTheirLabels) {
    Form main(main_window::form);
    Form help(help_window::form);
    ASSERT_TRUE(main.create() && help.create()) << ::GetLastError();
    EXPECT_EQ(::GetWindow(main.control(main_window::idList1), GW_HWNDPREV), main.control(main_window::idLabel1));
    EXPECT_EQ(::GetWindow(help.control(help_window::idTxtTaskList), GW_HWNDPREV), help.control(help_window::idLabel1));
    EXPECT_EQ(::GetNextDlgTabItem(main.hwnd(), nullptr, FALSE), main.control(main_window::idList1));
    EXPECT_EQ(::GetNextDlgTabItem(help.hwnd(), nullptr, FALSE), help.control(help_window::idTxtTaskList));
}

TEST_F(LayoutFit, EveryCaptionOfTheAboutBoxFits) {
    frmAbout about; // its version and title as the program shows them
    expectCaptionsFit(about, about_box::form);
}

} // namespace
