// The keyboard focus of a window of ours as a dialog keeps it: on the first control at first, and back on
// the control that had it whenever the window is activated again.
#pragma once

#include <windows.h>

namespace quellary {

class FormFocus {
public:
    explicit FormFocus(int firstControlId) : firstControlId_(firstControlId) {}

    // For WM_ACTIVATE; the caller returns 0 without the default handling, which would put the focus on the
    // window itself, where no key reaches a control.
    void onActivate(HWND form, WPARAM wParam) {
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = ::GetFocus();
            if (focus != nullptr && ::IsChild(form, focus)) {
                last_ = focus;
            }
            return;
        }
        // A control of an earlier instance of the window is no child of this one.
        ::SetFocus(last_ != nullptr && ::IsChild(form, last_) ? last_ : ::GetDlgItem(form, firstControlId_));
    }

private:
    int firstControlId_;
    HWND last_ = nullptr;
};

} // namespace quellary
