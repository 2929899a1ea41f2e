// Window designs as plain data: what a form and its controls look like before any code runs.
// Positions and sizes are in twips (1/1440 inch), from the top-left corner of the client area.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace quellary {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
};

struct FontSpec {
    std::string_view face;     // empty: the platform's default dialog font
    int hundredthsOfPoint = 0; // 0 with an empty face
    bool bold = false;
};

enum class ControlKind {
    Frame,         // group box
    Picture,       // bitmap shown at its natural size
    CheckList,     // list with a check box per item
    GraphicButton, // push button with the program's icon above its caption
    Button,
    DefaultButton, // the push button that Enter presses
    Label,
    CenteredLabel,
    TextBox, // multi-line, vertical scroll bar
    IconPicture,
    Line, // a horizontal rule `linePixels` thick
};

// Kinds that never take the keyboard focus and only decorate.
constexpr bool isDecoration(ControlKind kind) {
    return kind == ControlKind::Picture || kind == ControlKind::IconPicture || kind == ControlKind::Line;
}

struct TwipsRect {
    int left = 0, top = 0, width = 0, height = 0;
};

struct ControlSpec {
    std::string_view name;
    ControlKind kind;
    int id;       // the control id of its child window
    int tabIndex; // -1: not in the tab order
    std::string_view text;
    TwipsRect rect;
    FontSpec font{};
    bool visible = true;
    const Rgb* background = nullptr; // nullptr: system default
    const Rgb* foreground = nullptr;
    std::string_view container{}; // a frame whose client corner `rect` is measured from; empty: the form
    int linePixels = 0;           // a Line's thickness in pixels
    int image = 0;                // resource id of a Picture's bitmap, or of an IconPicture's or GraphicButton's icon
    std::string_view labelFor{};  // a label's: the control without text of its own that it names
};

enum class FrameStyle {
    FixedDialog, // dialog frame, not resizable, system menu and close box only
    FixedSingle, // thin frame, not resizable, system menu and close box only
};

struct FormSpec {
    std::string_view className;
    std::string_view caption;
    int clientWidth = 0, clientHeight = 0; // twips
    FrameStyle frame = FrameStyle::FixedDialog;
    bool taskbarButton = false;
    const Rgb* background = nullptr;
    std::span<const ControlSpec> controls;
    int icon = 0; // resource id of the window's icon; 0: none
};

// The control's rectangle measured from the form's client corner.
constexpr TwipsRect formRect(const ControlSpec& control, std::span<const ControlSpec> controls) {
    TwipsRect r = control.rect;
    for (const ControlSpec& outer : controls) {
        if (!control.container.empty() && outer.name == control.container) {
            const TwipsRect o = formRect(outer, controls);
            r.left += o.left;
            r.top += o.top;
        }
    }
    return r;
}

// The order in which the controls are made, which is their z-order and so the order in which Tab visits them:
// decorations first, so that nothing covers them, then by tab index. A label that names a control comes just
// before it, where screen readers look for the name of a control that has no text of its own.
inline std::vector<std::size_t> creationOrder(std::span<const ControlSpec> controls) {
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].labelFor.empty()) {
            order.push_back(i);
        }
    }
    const auto rank = [&](std::size_t i) { return isDecoration(controls[i].kind) ? -1 : controls[i].tabIndex; };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return rank(a) < rank(b); });
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (!controls[i].labelFor.empty()) {
            const auto named = std::find_if(order.begin(), order.end(),
                                            [&](std::size_t j) { return controls[j].name == controls[i].labelFor; });
            order.insert(named, i);
        }
    }
    return order;
}

// Pixels for a length in twips at the given dots per inch, rounded to the nearest pixel.
constexpr int twipsToPixels(int twips, int dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : (scaled - 720) / 1440);
}

// Device-independent height (negative: character height) of a font at the given dots per inch.
constexpr int fontHeightPixels(int hundredthsOfPoint, int dpi) {
    return -static_cast<int>((static_cast<long long>(hundredthsOfPoint) * dpi + 3600) / 7200);
}

} // namespace quellary
