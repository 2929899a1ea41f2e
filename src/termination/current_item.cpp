#include "termination/current_item.h"

#include "platform/controls.h"

#include <commctrl.h>

namespace quellary {

namespace {

LRESULT CALLBACK currentItemFilter(HWND list, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_CHAR: {
        const int before = ListView_GetNextItem(list, -1, LVNI_SELECTED);
        const LRESULT result = callOwnProcedure(list, msg, wParam, lParam);
        if (before >= 0 && before < ListView_GetItemCount(list) && ListView_GetNextItem(list, -1, LVNI_SELECTED) < 0) {
            ListView_SetItemState(list, before, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        }
        return result;
    }
    default:
        return callOwnProcedure(list, msg, wParam, lParam);
    }
}

} // namespace

void keepCurrentItem(HWND list) {
    // A list view has no filter of its kind's own, so this one is always taken.
    (void)addControlFilter(list, currentItemFilter);
}

} // namespace quellary
