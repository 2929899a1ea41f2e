#include "windows/help_text.h"

namespace quellary {

namespace {

constexpr std::string_view lineBreak = "\r\n";

} // namespace

std::string helpText(std::string_view directory) {
    // Each piece is followed by this many line breaks.
    struct Piece {
        std::string_view text;
        int breaks;
    };
    constexpr Piece before[] = {
        {"Quellary .INI File Usage:", 2},
        {"Quellary reads a file called Quellary.ini in order ", 1},
        {"to determine which Corvana applications to 'QUELL'.", 2},
        {"By default, there are 27 applications ", 0},
        {"listed in the Quellary.ini file. You may alter this ", 0},
        {"list with any text editor of your choice to ", 0},
        {"either add entries to or remove entries from ", 0},
        {"the default list. Generally speaking, the less ", 0},
        {"tasks that Quellary has to search for, the faster ", 0},
        {"it should run overall.", 2},
        {"Your Quellary.ini file is located in:", 1},
    };
    constexpr Piece after[] = {
        {"THE RULES:", 1},
        {"You may delete all lines in the Quellary.ini file ", 0},
        {"except for the header at the top and you should leave ", 0},
        {"at least one application entry.", 2},
        {"If you accidentally remove an application that you ", 0},
        {"didn't want to, just add it back. If you can't remember ", 0},
        {"the name(s) just recover the entire list by deleting ", 0},
        {"the Quellary.ini file and restart the program. You will ", 0},
        {"be asked if you would like to create a new one when the ", 0},
        {"program detects that none exists at startup.", 2},
        {"TO OPTIMIZE:", 1},
        {"Study the list of applications that ", 0},
        {"Quellary scrolls through while killing Corvana tasks. Those that ", 0},
        {"were actually found and terminated will still have a checkmark ", 0},
        {"in their box when the program terminates. Quellary removes the ", 0},
        {"checkmark when a listed task does not exist during the run. ", 0},
        {"After watching the list a few times and learning which tasks ", 0},
        {"are normally running on your own system, modify the Quellary.ini ", 0},
        {"file to only contain those applications and the required header.", 2},
        {"Happy Quelling!", 0},
    };
    std::string text;
    const auto append = [&text](const Piece& piece) {
        text.append(piece.text);
        for (int i = 0; i < piece.breaks; ++i) {
            text.append(lineBreak);
        }
    };
    for (const Piece& piece : before) {
        append(piece);
    }
    append({directory, 2});
    for (const Piece& piece : after) {
        append(piece);
    }
    return text;
}

std::string helpFileErrorPrompt() {
    // The third line's two trailing blanks are part of the message as users know it.
    return "Quellary.exe must be in the same directory\r\n"
           "as the Quellary.ini file. Please move this\r\n"
           "program and the Quellary.ini file to the  \r\n"
           "same directory ( preferably C:\\Quellary\\ )\r\n"
           "and rerun the program.";
}

std::string helpErrorReportPrompt(unsigned long number, int stepMark, std::string_view description) {
    std::string text =
        "Error    : " + std::to_string(number) + "\r\nLine No. : " + std::to_string(stepMark) + "\r\nDesc     : ";
    text.append(description);
    return text;
}

} // namespace quellary
