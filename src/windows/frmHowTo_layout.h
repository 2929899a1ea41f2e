// The help window's design.
#pragma once

#include "platform/layout.h"
#include "res/resource.h"

#include <array>

namespace quellary::help_window {

enum ControlId : int {
    idTxtTaskList = 2001,
    idTxtHowTo,
    idLabel1,
};

inline constexpr Rgb darkGreen{0, 128, 0};
inline constexpr Rgb lightGreen{192, 255, 192};
inline constexpr Rgb lightYellow{255, 255, 192};
inline constexpr Rgb yellow{255, 255, 0};

inline constexpr std::array<ControlSpec, 3> controls{{
    {"txtTaskList", ControlKind::TextBox, idTxtTaskList, 0, "", {6165, 105, 2055, 5250}, {}, true, &lightGreen},
    {"txtHowTo", ControlKind::TextBox, idTxtHowTo, 1, "", {105, 105, 6030, 5235}, {}, true, &lightYellow},
    {"Label1",
     ControlKind::CenteredLabel,
     idLabel1,
     2,
     "Contents of your current Quellary.ini file.",
     {6300, 5400, 1755, 495},
     {},
     true,
     &darkGreen,
     &yellow,
     {},
     0,
     0,
     "txtTaskList"},
}};

inline constexpr FormSpec form{"QuellaryHowTo",
                               "How To Modify The List of Corvana Tasks That Are Searched For and Quelled",
                               8295,
                               5940,
                               FrameStyle::FixedSingle,
                               true,
                               &darkGreen,
                               controls,
                               IDI_QUELLARY};

} // namespace quellary::help_window
