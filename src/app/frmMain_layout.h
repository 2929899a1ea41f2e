// The main window's design.
#pragma once

#include "platform/layout.h"
#include "res/resource.h"

#include <array>

namespace quellary::main_window {

enum ControlId : int {
    idFrame1 = 1001,
    idImage1,
    idList1,
    idCmdStart,
    idLabel1,
    idCmdAbout,
    idCmdOptimize,
    idLblEnd,
    idLblEndTitle,
    idCmdRestart,
};

inline constexpr std::string_view className = "QuellaryMain";
inline constexpr std::string_view designCaption = "Veyra's Quellary";
inline constexpr std::string_view list1ToolTip = "Check or uncheck tasks as desired and press the Start button";
inline constexpr std::string_view endText = "Any tasks that remain in the list were the only Corvana tasks that were "
                                            "found and terminated,  Quellary will restart Corvana for you if you "
                                            "click on the button below.";

inline constexpr std::array<ControlSpec, 10> controls{{
    {"Frame1", ControlKind::Frame, idFrame1, -1, "", {120, 105, 2055, 5250}},
    {"Image1",
     ControlKind::Picture,
     idImage1,
     -1,
     "",
     {90, 225, 1845, 4875},
     {},
     true,
     nullptr,
     nullptr,
     "Frame1",
     0,
     IDB_IMAGE1},
    {"List1", ControlKind::CheckList, idList1, 1, "", {2265, 345, 2025, 5010}},
    {"cmdStart",
     ControlKind::GraphicButton,
     idCmdStart,
     2,
     "Start",
     {4560, 1200, 1335, 885},
     {"Times New Roman", 1200, true},
     true,
     nullptr,
     nullptr,
     {},
     0,
     IDI_QUELLARY},
    {"Label1",
     ControlKind::Label,
     idLabel1,
     3,
     "Corvana Tasks in your INI file:",
     {2280, 135, 2310, 210},
     {},
     true,
     nullptr,
     nullptr,
     {},
     0,
     0,
     "List1"},
    {"cmdAbout", ControlKind::Button, idCmdAbout, 4, "&About Quellary", {4560, 4800, 1335, 495}},
    {"cmdOptimize", ControlKind::Button, idCmdOptimize, 5, "Optimization", {4560, 4080, 1335, 495}},
    // In the Helvetica widths of Microsoft Sans Serif at 9.75 points the text takes 11 lines of 15 pixels at 96 DPI.
    {"lblEnd", ControlKind::Label, idLblEnd, 6, endText, {4440, 1200, 1575, 2490}, {"MS Sans Serif", 975}, false},
    {"lblEndTitle",
     ControlKind::CenteredLabel,
     idLblEndTitle,
     7,
     "Done!",
     {4560, 600, 1215, 495},
     {"MS Sans Serif", 1800},
     false},
    {"cmdRestart",
     ControlKind::Button,
     idCmdRestart,
     8,
     "Restart",
     {4560, 3960, 1335, 1215},
     {"MS Sans Serif", 1200},
     false},
}};

inline constexpr FormSpec form{className, designCaption, 6120,     5520,        FrameStyle::FixedDialog,
                               false,     nullptr,       controls, IDI_QUELLARY};

} // namespace quellary::main_window
