// The About box's design.
#pragma once

#include "platform/layout.h"
#include "res/resource.h"

#include <array>

namespace quellary::about_box {

enum ControlId : int {
    idCmdOK = 1, // IDOK: Enter and Esc press it
    idPicIcon = 3001,
    idCmdSysInfo,
    idLblDescription,
    idLblDisclaimer,
    idLblTitle,
    idLblVersion,
    idLabel1,
    idLabel2,
    idLine1First,
    idLine1Second,
};

inline constexpr Rgb lightBlue{128, 128, 255};
inline constexpr Rgb black{0, 0, 0};
inline constexpr Rgb lightGreen{128, 255, 128};
inline constexpr Rgb white{255, 255, 255};
inline constexpr Rgb grey{128, 128, 128};

inline constexpr std::string_view description =
    "Kills any and all of as many as 27 Corvana applications that could be running on your PC. Any one of these "
    "applications might prevent you from running Corvana and prior to this would require a reboot to resolve.";

inline constexpr std::array<ControlSpec, 11> controls{{
    {"cmdOK", ControlKind::DefaultButton, idCmdOK, 0, "OK", {4245, 2625, 1260, 345}},
    {"picIcon",
     ControlKind::IconPicture,
     idPicIcon,
     1,
     "",
     {240, 240, 480, 480},
     {},
     true,
     &lightBlue,
     nullptr,
     {},
     0,
     IDI_QUELLARY},
    {"cmdSysInfo", ControlKind::Button, idCmdSysInfo, 2, "&System Info...", {4260, 3075, 1245, 345}},
    {"lblDescription",
     ControlKind::Label,
     idLblDescription,
     3,
     description,
     {1050, 1125, 3885, 930},
     {},
     true,
     &lightBlue,
     &black},
    {"lblDisclaimer",
     ControlKind::Label,
     idLblDisclaimer,
     4,
     "Orvella - Kestrane",
     {240, 2880, 2670, 465},
     {},
     true,
     &lightBlue,
     &black},
    {"lblTitle",
     ControlKind::Label,
     idLblTitle,
     5,
     "Quellary    by Veyra",
     {1080, 240, 2085, 360},
     {},
     true,
     &lightBlue,
     &black},
    {"lblVersion", ControlKind::Label, idLblVersion, 6, "Version 3.0", {1050, 780, 3885, 225}, {}, true, &lightBlue},
    {"Label1", ControlKind::Label, idLabel1, 7, "Written by Veyra", {240, 2640, 2895, 255}, {}, true, &lightBlue},
    {"Label2",
     ControlKind::CenteredLabel,
     idLabel2,
     8,
     // No address is published: the sentence stands without one.
     "If you like this program, send a note to ",
     {0, 2040, 5685, 360},
     {"MS Sans Serif", 975},
     true,
     &lightBlue,
     &lightGreen},
    // Two rules 15 twips apart make one etched line.
    {"Line1(0)", ControlKind::Line, idLine1First, -1, "", {105, 2460, 5549, 0}, {}, true, nullptr, &white, {}, 2},
    {"Line1(1)", ControlKind::Line, idLine1Second, -1, "", {90, 2445, 5564, 0}, {}, true, nullptr, &grey, {}, 1},
}};

inline constexpr FormSpec form{"QuellaryAbout", "About Quellary", 5730,     3555,        FrameStyle::FixedDialog,
                               false,           &lightBlue,       controls, IDI_QUELLARY};

} // namespace quellary::about_box
