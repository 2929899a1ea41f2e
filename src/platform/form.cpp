#include "platform/window.h"

#include "platform/controls.h"
#include "platform/files.h"
#include "platform/ui.h"

#include <exception>

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
        wc.lpszClassName = "HiddenOwner";
        ::RegisterClassA(&wc);
        return ::CreateWindowExA(0, wc.lpszClassName, applicationTitle().c_str(), WS_POPUP, 0, 0, 0, 0, nullptr,
                                 nullptr, instance(), nullptr);
    }();
    return owner;
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

} // namespace

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
            resources_[i].fontSpec = font;
            replaceFont(control(id), resources_[i], dpi_);
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
        failUnexpectedly(applicationTitle() + " has met an unexpected failure and must end:\r\n" + e.what());
    } catch (...) {
        failUnexpectedly(applicationTitle() + " has met an unexpected failure and must end.");
    }
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
        if (spec_.icon != 0) {
            ::SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(iconResource(spec_.icon, 32)));
            ::SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(iconResource(spec_.icon, 16)));
        }
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
        resources_.clear();
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
    resources_.clear();
    resources_.resize(spec_.controls.size());
    for (const std::size_t i : creationOrder(spec_.controls)) {
        (void)createControl(hwnd_, spec_.controls[i], corner(spec_.controls[i]), dpi_, resources_[i]);
    }
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

POINT Form::corner(const ControlSpec& c) const {
    const TwipsRect r = formRect(c, spec_.controls);
    return {twipsToPixels(r.left, dpi_), twipsToPixels(r.top, dpi_)};
}

void Form::applyLayout() {
    for (std::size_t i = 0; i < spec_.controls.size(); ++i) {
        const ControlSpec& c = spec_.controls[i];
        const HWND child = control(c.id);
        const RECT r = controlRect(c, corner(c), dpi_);
        ::MoveWindow(child, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
        fitControlToDpi(child, c, resources_[i], dpi_);
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
    if (const UniqueBrush& brush = resources_[index].brush) {
        if (c->background != nullptr) {
            ::SetBkColor(dc, colorOf(*c->background));
        }
        return reinterpret_cast<LRESULT>(brush.get());
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
