// The control kinds of the window designs: the child window each becomes, and what each owns and does beyond it.
#pragma once

#include "platform/common_controls.h"
#include "platform/handles.h"
#include "platform/layout.h"

#include <windows.h>

namespace quellary {

// Puts `filter` in front of a control's own window procedure; the filter hands every message it does not take on
// with callOwnProcedure. One filter per control: false when the control has one already (a text box has its
// kind's own).
[[nodiscard]] bool addControlFilter(HWND control, WNDPROC filter);
LRESULT callOwnProcedure(HWND control, UINT msg, WPARAM wParam, LPARAM lParam);

// What one control owns beside its window, kept by its form until the window goes.
struct ControlResources {
    FontSpec fontSpec;      // as the table or setControlFont gives it
    UniqueFont font;        // for the current DPI
    UniqueBrush brush;      // its background, or a line's colour
    UniqueBitmap picture;   // a Picture's bitmap, drawn to the size of its box at the current DPI
    UniqueImageList images; // a GraphicButton's icon at the current DPI
};

// Where the control lies at the given DPI, its top-left corner at `corner` (pixels in the form's client area): a
// line's thickness is in pixels at 96 DPI, every other size in twips.
RECT controlRect(const ControlSpec& spec, POINT corner, int dpi);

// Makes the control's child window where controlRect puts it, with what its kind needs from the start; nullptr
// when the system refuses.
HWND createControl(HWND form, const ControlSpec& spec, POINT corner, int dpi, ControlResources& resources);

// Gives the control its font and its kind's pictures for the DPI, letting the old ones go once it holds the new.
void fitControlToDpi(HWND control, const ControlSpec& spec, ControlResources& resources, int dpi);

// Replaces the control's font with one for `resources.fontSpec` at the DPI.
void replaceFont(HWND control, ControlResources& resources, int dpi);

// The icon resource at the given size in pixels, loaded once and kept for the life of the program.
HICON iconResource(int id, int size);

} // namespace quellary
