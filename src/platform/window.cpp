#include "platform/window.h"

#include "app/app_info.h"
#include "platform/files.h"
#include "platform/ui.h"
#include "res/resource.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <map>
#include <utility>

namespace quellary {

namespace {

int openForms = 0;

HINSTANCE instance() {
    return ::GetModuleHandleA(nullptr);
}

COLORREF colorOf(const Rgb& c) {
    return RGB(c.r, c.g, c.b);
}

// Owner of every window that must not have a taskbar button of its own: owned top-level windows
// get none. It is never shown.
HWND hiddenOwner() {
    static HWND owner = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = instance();
        wc.lpszClassName = "QuellaryOwner";
        ::RegisterClassA(&wc);
        return ::CreateWindowExA(0, wc.lpszClassName, "Quellary", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance(),
                                 nullptr);
    }();
    return owner;
}

// Puts our handling of a few messages in front of a control's own procedure, which is kept in the control's user
// data. Not the common controls' subclassing: under Wine that looks its chain up in a window property, a round
// trip to the server for every message the control gets, and filling the list took five times as long.
void subclass(HWND control, WNDPROC proc) {
    ::SetWindowLongPtrW(control, GWLP_USERDATA,
                        ::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
}

LRESULT controlProc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(control, GWLP_USERDATA)), control, msg,
                             wParam, lParam);
}

// A list box keeps its current item once it has one; a list view loses it to a click beside the items
// or a Ctrl+click, and the current item bounds what the clean-up after a run examines. So input that
// leaves the list without a selection gives the selection back to the item that had it.
LRESULT CALLBACK keepCurrentItem(HWND list, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_CHAR: {
        const int before = ListView_GetNextItem(list, -1, LVNI_SELECTED);
        const LRESULT result = controlProc(list, msg, wParam, lParam);
        if (before >= 0 && before < ListView_GetItemCount(list) && ListView_GetNextItem(list, -1, LVNI_SELECTED) < 0) {
            ListView_SetItemState(list, before, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        }
        return result;
    }
    default:
        return controlProc(list, msg, wParam, lParam);
    }
}

// Esc in a multi-line text box makes the control close its whole window; our windows close only by
// their frame, their system menu and Alt+F4.
LRESULT CALLBACK ignoreEscape(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
    if ((msg == WM_KEYDOWN || msg == WM_CHAR) && wParam == VK_ESCAPE) {
        return 0;
    }
    return controlProc(edit, msg, wParam, lParam);
}

DWORD formStyle() {
    return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
}

DWORD formExStyle(const FormSpec& spec) {
    DWORD ex = WS_EX_CONTROLPARENT;
    if (spec.frame == FrameStyle::FixedDialog) {
        ex |= WS_EX_DLGMODALFRAME;
    }
    if (spec.taskbarButton) {
        ex |= WS_EX_APPWINDOW;
    }
    return ex;
}

struct ChildClass {
    const char* className;
    DWORD style;
    DWORD exStyle;
};

ChildClass childClassFor(ControlKind kind) {
    switch (kind) {
    case ControlKind::Frame:
        return {"BUTTON", BS_GROUPBOX, 0};
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

} // namespace

HICON programIcon(int size) {
    // Loaded once per size and kept for the life of the program.
    static std::map<int, HICON> icons;
    HICON& icon = icons[size];
    if (icon == nullptr) {
        icon = static_cast<HICON>(
            ::LoadImageA(instance(), MAKEINTRESOURCEA(IDI_QUELLARY), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    }
    return icon;
}

Form::~Form() {
    if (hwnd_ != nullptr) {
        ::DestroyWindow(hwnd_);
    }
}

bool Form::create() {
    const std::string className(spec_.className);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!::GetClassInfoExA(instance(), className.c_str(), &wc)) {
        wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = windowProc;
        wc.hInstance = instance();
        wc.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = className.c_str();
        if (!::RegisterClassExA(&wc)) {
            return false;
        }
    }
    const std::string caption(spec_.caption);
    const HWND owner = spec_.taskbarButton ? nullptr : hiddenOwner();
    // Made at its size for the DPI it most likely gets, the system's; one that opens on a monitor of another DPI is
    // sized again once it knows its own.
    const SIZE size = windowSize(static_cast<int>(::GetDpiForSystem()));
    return ::CreateWindowExA(formExStyle(spec_), className.c_str(), caption.c_str(), formStyle(), CW_USEDEFAULT,
                             CW_USEDEFAULT, size.cx, size.cy, owner, nullptr, instance(), this) != nullptr;
}

void Form::showAndActivate() {
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetForegroundWindow(hwnd_);
    ::SetActiveWindow(hwnd_);
}

void Form::openModeless() {
    if (!isOpen()) {
        if (!create()) {
            messageBox("The window could not be opened: " + systemErrorText(::GetLastError()));
            return;
        }
        load();
    }
    if (isOpen()) {
        showAndActivate();
    }
}

void Form::setCaption(std::string_view caption) {
    ::SetWindowTextA(hwnd_, std::string(caption).c_str());
}

void Form::setControlText(int id, std::string_view text) {
    ::SetWindowTextA(control(id), std::string(text).c_str());
}

void Form::showControl(int id, bool visible) {
    ::ShowWindow(control(id), visible ? SW_SHOW : SW_HIDE);
}

void Form::setControlFont(int id, FontSpec font) {
    for (std::size_t i = 0; i < spec_.controls.size(); ++i) {
        if (spec_.controls[i].id == id) {
            fontSpecs_[i] = font;
            replaceFont(i);
        }
    }
}

void Form::onCommand(int, int) {}

bool Form::onMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

LRESULT CALLBACK Form::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        form->hwnd_ = hwnd;
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (form == nullptr) {
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    // No exception may unwind through the system's code that called us.
    try {
        return form->handle(msg, wParam, lParam);
    } catch (const std::exception& e) {
        messageBox(std::string(appTitle) + " has met an unexpected failure and must end:\r\n" + e.what());
    } catch (...) {
        messageBox(std::string(appTitle) + " has met an unexpected failure and must end.");
    }
    endProgram(exitNotCarriedOut);
}

LRESULT Form::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (onMessage(msg, wParam, lParam, result)) {
        return result;
    }
    switch (msg) {
    case WM_CREATE:
        ++openForms;
        dpi_ = static_cast<int>(::GetDpiForWindow(hwnd_));
        ::SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(programIcon(32)));
        ::SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(programIcon(16)));
        if (spec_.background != nullptr) {
            formBrush_.reset(::CreateSolidBrush(colorOf(*spec_.background)));
        }
        sizeWindowForDpi(nullptr);
        buildControls();
        applyLayout();
        return 0;
    case WM_DPICHANGED:
        dpi_ = HIWORD(wParam);
        sizeWindowForDpi(reinterpret_cast<const RECT*>(lParam));
        applyLayout();
        return 0;
    case WM_ERASEBKGND:
        if (formBrush_) {
            RECT r;
            ::GetClientRect(hwnd_, &r);
            ::FillRect(reinterpret_cast<HDC>(wParam), &r, formBrush_.get());
            return 1;
        }
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
        if (const LRESULT brush = colorFor(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam))) {
            return brush;
        }
        break;
    case WM_ACTIVATE:
        // As in a dialog: the focus starts on the first control in the tab order and comes back to the
        // control that had it. The default handling would leave it on the window itself, out of reach of keys.
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = ::GetFocus();
            if (focus != nullptr && ::IsChild(hwnd_, focus)) {
                lastFocus_ = focus;
            }
        } else {
            restoreFocus();
        }
        return 0;
    case WM_SETFOCUS:
        // The focus given to the window itself goes on to a control, where keys reach it.
        restoreFocus();
        return 0;
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CLOSE:
        if (onQueryClose()) {
            ::DestroyWindow(hwnd_);
        }
        return 0;
    case WM_NCDESTROY: {
        const HWND closing = hwnd_;
        hwnd_ = nullptr;
        lastFocus_ = nullptr;
        ::SetWindowLongPtrA(closing, GWLP_USERDATA, 0);
        fonts_.clear();
        brushes_.clear();
        buttonImages_.reset();
        picture_.reset();
        if (--openForms == 0) {
            ::PostQuitMessage(0);
        }
        return ::DefWindowProcA(closing, msg, wParam, lParam);
    }
    default:
        break;
    }
    return ::DefWindowProcA(hwnd_, msg, wParam, lParam);
}

void Form::sizeWindowForDpi(const RECT* suggested) {
    if (suggested != nullptr) {
        ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    const SIZE size = windowSize(dpi_);
    RECT now;
    ::GetWindowRect(hwnd_, &now);
    if (now.right - now.left != size.cx || now.bottom - now.top != size.cy) {
        ::SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

SIZE Form::windowSize(int dpi) const {
    RECT r{0, 0, twipsToPixels(spec_.clientWidth, dpi), twipsToPixels(spec_.clientHeight, dpi)};
    ::AdjustWindowRectExForDpi(&r, formStyle(), FALSE, formExStyle(spec_), static_cast<UINT>(dpi));
    return {r.right - r.left, r.bottom - r.top};
}

void Form::buildControls() {
    // Creation order is the tab order; decorations go first so that nothing covers them, and a label comes just
    // before the control it names.
    const auto place = [this](const ControlSpec& c) {
        if (isDecoration(c.kind)) {
            return std::pair{-1, 0};
        }
        for (const ControlSpec& named : spec_.controls) {
            if (!c.labelFor.empty() && named.name == c.labelFor) {
                return std::pair{named.tabIndex, 0};
            }
        }
        return std::pair{c.tabIndex, 1};
    };
    std::vector<std::size_t> order(spec_.controls.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return place(spec_.controls[a]) < place(spec_.controls[b]); });

    fontSpecs_.assign(spec_.controls.size(), FontSpec{});
    fonts_.clear();
    fonts_.resize(spec_.controls.size());
    brushes_.clear();
    brushes_.resize(spec_.controls.size());
    for (const std::size_t i : order) {
        const ControlSpec& c = spec_.controls[i];
        fontSpecs_[i] = c.font;
        const ChildClass cls = childClassFor(c.kind);
        const std::string text(c.text);
        const DWORD style = WS_CHILD | cls.style | (c.visible ? WS_VISIBLE : 0);
        // Made where the layout puts it: a control moved after it is made does much of its work twice.
        const RECT r = pixelRect(c);
        const HWND child = ::CreateWindowExA(cls.exStyle, cls.className, text.c_str(), style, r.left, r.top,
                                             r.right - r.left, r.bottom - r.top, hwnd_,
                                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance(), nullptr);
        if (c.background != nullptr) {
            brushes_[i].reset(::CreateSolidBrush(colorOf(*c.background)));
        } else if (c.kind == ControlKind::Line && c.foreground != nullptr) {
            brushes_[i].reset(::CreateSolidBrush(colorOf(*c.foreground)));
        }
        switch (c.kind) {
        case ControlKind::Picture:
            picture_.reset(static_cast<HBITMAP>(
                ::LoadImageA(instance(), MAKEINTRESOURCEA(IDB_IMAGE1), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
            ::SendMessageA(child, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture_.get()));
            break;
        case ControlKind::CheckList: {
            ListView_SetExtendedListViewStyle(child, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
            LVCOLUMNA column{};
            column.mask = LVCF_WIDTH;
            column.cx = 100;
            ::SendMessageA(child, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
            subclass(child, keepCurrentItem);
            break;
        }
        case ControlKind::TextBox:
            ::SendMessageA(child, EM_SETLIMITTEXT, 0, 0);
            subclass(child, ignoreEscape);
            break;
        default:
            break;
        }
    }
}

void Form::replaceFont(std::size_t i) {
    UniqueFont next = createFont(fontSpecs_[i], dpi_);
    ::SendMessageA(control(spec_.controls[i].id), WM_SETFONT, reinterpret_cast<WPARAM>(next.get()), TRUE);
    // The control used the old font until now.
    fonts_[i] = std::move(next);
}

void Form::restoreFocus() {
    // A control hidden or disabled since it had the focus (the done state hides three buttons) must not
    // get it back: Space would still press a hidden button.
    const bool usable = lastFocus_ != nullptr && ::IsChild(hwnd_, lastFocus_) && ::IsWindowVisible(lastFocus_) &&
                        ::IsWindowEnabled(lastFocus_);
    const HWND target = usable ? lastFocus_ : ::GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (target != nullptr) {
        ::SetFocus(target);
    }
}

RECT Form::pixelRect(const ControlSpec& c) const {
    const TwipsRect r = formRect(c, spec_.controls);
    const int left = twipsToPixels(r.left, dpi_);
    const int top = twipsToPixels(r.top, dpi_);
    BITMAP picture{};
    if (c.kind == ControlKind::Picture && ::GetObjectA(picture_.get(), sizeof picture, &picture) != 0) {
        // The picture keeps its natural size at every DPI; a static control would stretch it to its own.
        return {left, top, left + picture.bmWidth, top + picture.bmHeight};
    }
    const int height = c.kind == ControlKind::Line ? ::MulDiv(c.linePixels, dpi_, USER_DEFAULT_SCREEN_DPI)
                                                   : twipsToPixels(r.height, dpi_);
    return {left, top, left + twipsToPixels(r.width, dpi_), top + height};
}

void Form::applyLayout() {
    for (std::size_t i = 0; i < spec_.controls.size(); ++i) {
        const ControlSpec& c = spec_.controls[i];
        const HWND child = control(c.id);
        const RECT r = pixelRect(c);
        ::MoveWindow(child, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
        if (isDecoration(c.kind)) {
            if (c.kind == ControlKind::IconPicture) {
                const int size = ::MulDiv(32, dpi_, USER_DEFAULT_SCREEN_DPI);
                ::SendMessageA(child, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(programIcon(size)));
            }
            continue;
        }
        replaceFont(i);
        // An empty list, as every list is when its window is made, has nothing to fit: filling it fits the column.
        if (c.kind == ControlKind::CheckList && ListView_GetItemCount(child) > 0) {
            ListView_SetColumnWidth(child, 0, LVSCW_AUTOSIZE_USEHEADER);
        }
        if (c.kind == ControlKind::GraphicButton) {
            const int size = ::MulDiv(32, dpi_, USER_DEFAULT_SCREEN_DPI);
            UniqueImageList next(::ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 1, 0));
            ::ImageList_AddIcon(next.get(), programIcon(size));
            BUTTON_IMAGELIST images{next.get(), {0, 2, 0, 0}, BUTTON_IMAGELIST_ALIGN_TOP};
            // Only common controls 6 put the picture above the caption; older ones get it beside.
            if (!::SendMessageA(child, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images))) {
                ::SendMessageA(child, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(programIcon(size)));
            }
            // The button held the old list until now.
            buttonImages_ = std::move(next);
        }
    }
}

const ControlSpec* Form::specFor(HWND child) const {
    const int id = ::GetDlgCtrlID(child);
    for (const ControlSpec& c : spec_.controls) {
        if (c.id == id) {
            return &c;
        }
    }
    return nullptr;
}

LRESULT Form::colorFor(HWND child, HDC dc) {
    const ControlSpec* c = specFor(child);
    if (c == nullptr) {
        return 0;
    }
    const auto index = static_cast<std::size_t>(c - spec_.controls.data());
    if (c->foreground != nullptr && c->kind != ControlKind::Line) {
        ::SetTextColor(dc, colorOf(*c->foreground));
    }
    if (brushes_[index]) {
        if (c->background != nullptr) {
            ::SetBkColor(dc, colorOf(*c->background));
        }
        return reinterpret_cast<LRESULT>(brushes_[index].get());
    }
    if (formBrush_) {
        ::SetBkColor(dc, colorOf(*spec_.background));
        return reinterpret_cast<LRESULT>(formBrush_.get());
    }
    if (c->foreground != nullptr) {
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    return 0;
}

} // namespace quellary
