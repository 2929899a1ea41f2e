// The form: a top-level window built from its design table, with one window-procedure thunk.
#pragma once

#include "platform/controls.h"
#include "platform/handles.h"
#include "platform/layout.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace quellary {

class Form {
public:
    explicit Form(const FormSpec& spec) : spec_(spec) {}
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    [[nodiscard]] bool isOpen() const { return hwnd_ != nullptr; }
    [[nodiscard]] HWND hwnd() const { return hwnd_; }
    [[nodiscard]] HWND control(int id) const { return ::GetDlgItem(hwnd_, id); }

    // Creates the window and its controls, hidden; the window then counts as open. False when the
    // system refuses (the reason is in GetLastError).
    [[nodiscard]] bool create();

    // Shows the window modeless and brings it to the front; also for a window that is already shown.
    void showAndActivate();

    // Fills the window once it has been created; the start-up of its contents.
    virtual void load() {}

    // Shows the one instance of a modeless window: creates and loads it when it is not open, else only
    // brings it to the front without loading it again.
    void openModeless();

    void setCaption(std::string_view caption);
    void setControlText(int id, std::string_view text);
    void showControl(int id, bool visible);

protected:
    virtual void onCommand(int id, int notifyCode);
    // Return false to keep the window open.
    virtual bool onQueryClose() { return true; }
    // Anything else a derived form needs to handle; return true when handled.
    virtual bool onMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Replaces a control's font with a new face and size, kept across DPI changes.
    void setControlFont(int id, FontSpec font);

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void buildControls();
    void applyLayout();
    // As in a dialog: the focus goes back to the control that had it, or to the first in the tab order.
    void restoreFocus();
    void sizeWindowForDpi(const RECT* suggested);
    // The window's outer size for its client area at the given DPI.
    [[nodiscard]] SIZE windowSize(int dpi) const;
    // Where control c's top-left corner lies in the client area at the current DPI, in pixels.
    [[nodiscard]] POINT corner(const ControlSpec& c) const;
    [[nodiscard]] const ControlSpec* specFor(HWND child) const;
    LRESULT colorFor(HWND child, HDC dc);

    const FormSpec& spec_;
    HWND hwnd_ = nullptr;
    HWND lastFocus_ = nullptr; // the control that had the focus when the window was last deactivated
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    std::vector<ControlResources> resources_; // per control, in the table's order
    UniqueBrush formBrush_;
};

} // namespace quellary
