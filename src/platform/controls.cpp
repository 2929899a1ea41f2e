#include "platform/controls.h"

#include <commctrl.h>

#include <map>
#include <string>
#include <utility>

namespace quellary {

namespace {

HINSTANCE instance() {
    return ::GetModuleHandleA(nullptr);
}

COLORREF colorOf(const Rgb& c) {
    return RGB(c.r, c.g, c.b);
}

// Esc in a multi-line text box makes the control close its whole window; our windows close only by
// their frame, their system menu and Alt+F4.
LRESULT CALLBACK ignoreEscape(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
    if ((msg == WM_KEYDOWN || msg == WM_CHAR) && wParam == VK_ESCAPE) {
        return 0;
    }
    return callOwnProcedure(edit, msg, wParam, lParam);
}

// A group box paints its border and caption only, and the form, which clips its children, paints nothing under
// it: what lies inside would stay as the screen left it (black on a fresh one). It takes the background its
// form gives static controls; WS_CLIPSIBLINGS keeps that off the controls laid over it.
LRESULT CALLBACK fillGroupBox(HWND frame, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ERASEBKGND) {
        const auto dc = reinterpret_cast<HDC>(wParam);
        const auto brush = reinterpret_cast<HBRUSH>(
            ::SendMessageA(::GetParent(frame), WM_CTLCOLORSTATIC, wParam, reinterpret_cast<LPARAM>(frame)));
        RECT r;
        ::GetClientRect(frame, &r);
        ::FillRect(dc, &r, brush != nullptr ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    return callOwnProcedure(frame, msg, wParam, lParam);
}

struct ChildClass {
    const char* className;
    DWORD style;
    DWORD exStyle;
};

ChildClass childClassFor(ControlKind kind) {
    switch (kind) {
    case ControlKind::Frame:
        return {"BUTTON", BS_GROUPBOX | WS_CLIPSIBLINGS, 0};
    case ControlKind::Picture:
        return {"STATIC", SS_BITMAP, 0};
    case ControlKind::CheckList:
        return {WC_LISTVIEWA, LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
                WS_EX_CLIENTEDGE};
    case ControlKind::GraphicButton:
        return {"BUTTON", BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP, 0};
    case ControlKind::Button:
        return {"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ControlKind::DefaultButton:
        return {"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 0};
    case ControlKind::Label:
        return {"STATIC", SS_LEFT, 0};
    case ControlKind::CenteredLabel:
        return {"STATIC", SS_CENTER, 0};
    case ControlKind::TextBox:
        return {"EDIT", ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::IconPicture:
        return {"STATIC", SS_ICON | SS_REALSIZECONTROL, 0};
    case ControlKind::Line:
        return {"STATIC", SS_LEFT, 0};
    }
    return {"STATIC", 0, 0};
}

UniqueFont createFont(const FontSpec& font, int dpi) {
    // The default dialog font is the one dialog templates name: "MS Shell Dlg" at 8 points, which the
    // system maps to its current dialog face. The window layouts were measured against that size.
    const std::string face = font.face.empty() ? std::string("MS Shell Dlg") : std::string(font.face);
    const int size = font.face.empty() ? 800 : font.hundredthsOfPoint;
    return UniqueFont(::CreateFontA(fontHeightPixels(size, dpi), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                                    FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                    DEFAULT_PITCH, face.c_str()));
}

// The pictures of icons are 32 pixels square at 96 DPI.
int iconPixels(int dpi) {
    return ::MulDiv(32, dpi, USER_DEFAULT_SCREEN_DPI);
}

// The bitmap resource drawn to `size`. A program of the picture's era was scaled as a whole at higher settings, so
// the picture filled its box: here it is scaled once per DPI, smoothly (halftone averages the pixels it folds
// together, where the default drops them), and at the size it was drawn for it is the resource pixel for pixel.
UniqueBitmap pictureResource(int id, SIZE size) {
    UniqueBitmap original(
        static_cast<HBITMAP>(::LoadImageA(instance(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP drawn{};
    if (!original || ::GetObjectA(original.get(), sizeof drawn, &drawn) == 0 ||
        (drawn.bmWidth == size.cx && drawn.bmHeight == size.cy)) {
        return original;
    }
    BITMAPINFO format{};
    format.bmiHeader = {sizeof format.bmiHeader, size.cx, -size.cy, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueBitmap scaled(::CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    const UniqueMemoryDc from(::CreateCompatibleDC(nullptr));
    const UniqueMemoryDc to(::CreateCompatibleDC(nullptr));
    if (!scaled || !from || !to) {
        return original;
    }
    const HGDIOBJ fromBefore = ::SelectObject(from.get(), original.get());
    const HGDIOBJ toBefore = ::SelectObject(to.get(), scaled.get());
    ::SetStretchBltMode(to.get(), HALFTONE);
    ::SetBrushOrgEx(to.get(), 0, 0, nullptr); // as HALFTONE requires after the mode is set
    const BOOL drawnScaled =
        ::StretchBlt(to.get(), 0, 0, size.cx, size.cy, from.get(), 0, 0, drawn.bmWidth, drawn.bmHeight, SRCCOPY);
    ::SelectObject(from.get(), fromBefore);
    ::SelectObject(to.get(), toBefore);
    return drawnScaled ? std::move(scaled) : std::move(original);
}

} // namespace

// The control's own procedure is kept in its user data. Not the common controls' subclassing: under Wine that looks
// its chain up in a window property, a round trip to the server for every message the control gets, and filling the
// list took five times as long.
bool addControlFilter(HWND control, WNDPROC filter) {
    if (::GetWindowLongPtrW(control, GWLP_USERDATA) != 0) {
        return false;
    }
    ::SetWindowLongPtrW(control, GWLP_USERDATA,
                        ::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(filter)));
    return true;
}

LRESULT callOwnProcedure(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(control, GWLP_USERDATA)), control, msg,
                             wParam, lParam);
}

HICON iconResource(int id, int size) {
    static std::map<std::pair<int, int>, HICON> icons;
    HICON& icon = icons[{id, size}];
    if (icon == nullptr) {
        icon =
            static_cast<HICON>(::LoadImageA(instance(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    }
    return icon;
}

RECT controlRect(const ControlSpec& spec, POINT corner, int dpi) {
    const int height = spec.kind == ControlKind::Line ? ::MulDiv(spec.linePixels, dpi, USER_DEFAULT_SCREEN_DPI)
                                                      : twipsToPixels(spec.rect.height, dpi);
    return {corner.x, corner.y, corner.x + twipsToPixels(spec.rect.width, dpi), corner.y + height};
}

HWND createControl(HWND form, const ControlSpec& spec, POINT corner, int dpi, ControlResources& resources) {
    resources.fontSpec = spec.font;
    if (spec.background != nullptr) {
        resources.brush.reset(::CreateSolidBrush(colorOf(*spec.background)));
    } else if (spec.kind == ControlKind::Line && spec.foreground != nullptr) {
        resources.brush.reset(::CreateSolidBrush(colorOf(*spec.foreground)));
    }
    const ChildClass cls = childClassFor(spec.kind);
    const std::string text(spec.text);
    const DWORD style = WS_CHILD | cls.style | (spec.visible ? WS_VISIBLE : 0);
    // Made where the layout puts it: a control moved after it is made does much of its work twice.
    const RECT r = controlRect(spec, corner, dpi);
    const HWND child = ::CreateWindowExA(cls.exStyle, cls.className, text.c_str(), style, r.left, r.top,
                                         r.right - r.left, r.bottom - r.top, form,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), instance(), nullptr);
    if (child == nullptr) {
        return nullptr;
    }
    switch (spec.kind) {
    case ControlKind::CheckList: {
        ListView_SetExtendedListViewStyle(child, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        LVCOLUMNA column{};
        column.mask = LVCF_WIDTH;
        column.cx = 100;
        ::SendMessageA(child, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
        break;
    }
    case ControlKind::Frame:
        (void)addControlFilter(child, fillGroupBox);
        break;
    case ControlKind::TextBox:
        ::SendMessageA(child, EM_SETLIMITTEXT, 0, 0);
        (void)addControlFilter(child, ignoreEscape);
        break;
    default:
        break;
    }
    return child;
}

void replaceFont(HWND control, ControlResources& resources, int dpi) {
    UniqueFont next = createFont(resources.fontSpec, dpi);
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(next.get()), TRUE);
    // The control used the old font until now.
    resources.font = std::move(next);
}

void fitControlToDpi(HWND control, const ControlSpec& spec, ControlResources& resources, int dpi) {
    if (spec.kind == ControlKind::IconPicture) {
        ::SendMessageA(control, STM_SETIMAGE, IMAGE_ICON,
                       reinterpret_cast<LPARAM>(iconResource(spec.image, iconPixels(dpi))));
    }
    if (spec.kind == ControlKind::Picture && spec.image != 0) {
        UniqueBitmap next =
            pictureResource(spec.image, {twipsToPixels(spec.rect.width, dpi), twipsToPixels(spec.rect.height, dpi)});
        ::SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(next.get()));
        // The control showed the old picture until now.
        resources.picture = std::move(next);
    }
    if (isDecoration(spec.kind)) {
        return;
    }
    replaceFont(control, resources, dpi);
    // An empty list, as every list is when its window is made, has nothing to fit: filling it fits the column.
    if (spec.kind == ControlKind::CheckList && ListView_GetItemCount(control) > 0) {
        ListView_SetColumnWidth(control, 0, LVSCW_AUTOSIZE_USEHEADER);
    }
    if (spec.kind == ControlKind::GraphicButton) {
        const int size = iconPixels(dpi);
        UniqueImageList next(imageListCreate(size, size, ILC_COLOR32 | ILC_MASK, 1, 0));
        imageListAddIcon(next.get(), iconResource(spec.image, size));
        BUTTON_IMAGELIST images{next.get(), {0, 2, 0, 0}, BUTTON_IMAGELIST_ALIGN_TOP};
        // Only common controls 6 put the picture above the caption; older ones get it beside.
        if (!::SendMessageA(control, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images))) {
            ::SendMessageA(control, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(iconResource(spec.image, size)));
        }
        // The button held the old list until now.
        resources.images = std::move(next);
    }
}

} // namespace quellary
