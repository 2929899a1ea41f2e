// Drives a program of ours from outside, through its real windows: finds windows and controls, reads
// texts, list items and ticks, presses buttons and answers message boxes.
#pragma once

#include <windows.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace driver {

using namespace std::chrono_literals;

struct Launch {
    std::string exePath;
    std::string arguments;                                         // after the program name
    std::string directory;                                         // current directory; empty: the exe's
    std::map<std::string, std::optional<std::string>> environment; // changes: a value, or nothing to unset
    std::string desktop;                                           // "station\\desktop" to start on; empty: ours
    std::string standardOutput;                                    // a file made anew for it; empty: none
};

class Program {
public:
    explicit Program(const Launch& launch);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    [[nodiscard]] DWORD id() const { return info_.dwProcessId; }
    [[nodiscard]] HANDLE handle() const { return info_.hProcess; }
    [[nodiscard]] bool started() const { return info_.hProcess != nullptr; }

    // The process's exit code once it has ended within the timeout, else nothing.
    std::optional<DWORD> waitForExit(std::chrono::milliseconds timeout = 15s);
    [[nodiscard]] bool isRunning() const;
    // Waits for the process to end, looking all the while for a shown top-level window of that class.
    struct Watched {
        std::optional<DWORD> exitCode; // nothing when it did not end within the timeout
        bool windowShown = false;
    };
    Watched waitForExitWatching(const std::string& className, std::chrono::milliseconds timeout = 15s);
    void kill();
    // The processor time the running program has used, in seconds; nothing when it cannot be told.
    [[nodiscard]] std::optional<double> processorSeconds() const;

    // A visible top-level window of the process whose class is `className`, once it shows.
    HWND waitForWindow(const std::string& className, std::chrono::milliseconds timeout = 15s);
    // A visible message box of the process; nullptr when none came within the timeout.
    HWND waitForMessageBox(std::chrono::milliseconds timeout = 15s);
    // All top-level windows of the process with that class: the visible ones, or also the hidden ones.
    [[nodiscard]] std::vector<HWND> windows(const std::string& className, bool shownOnly = true) const;

private:
    PROCESS_INFORMATION info_{};
};

std::string text(HWND window);
std::string controlText(HWND parent, int id);
// A message box's prompt (the static control 0xFFFF).
std::string messageBoxPrompt(HWND box);
// The push buttons of a message box, by id (IDOK, IDYES, IDNO, ...).
std::vector<int> messageBoxButtons(HWND box);
// What a message box says and offers, read whole.
struct MessageBoxContent {
    std::string prompt;
    std::string title;
    std::vector<int> buttons;
    bool icon = false;
};
MessageBoxContent readMessageBox(HWND box);
// Presses a message-box button; waits until the box has gone.
void answer(HWND box, int buttonId);

// Presses a button the way a click does; refuses (returns false) when it is hidden or disabled.
bool press(HWND parent, int id);

// The window that has the keyboard focus in the thread of another process's window.
HWND focusedControl(HWND window);
// A key pressed and released on a control, through the program's own message loop.
void pressKey(HWND control, WPARAM key);

bool isVisible(HWND parent, int id);
bool isEnabled(HWND parent, int id);

struct ListItem {
    std::string text;
    bool ticked = false;
};
std::vector<ListItem> listItems(HWND list);
int listCurrent(HWND list);
void setListTick(HWND list, int index, bool ticked);

// The tool tip text that `owner`'s tool tip window shows for the child `tool`.
std::string toolTipText(HWND owner, HWND tool);

// Client-area rectangle of a child, in its parent's client coordinates.
RECT childRect(HWND parent, int id);

// Saves what the screen shows of a window as a 24-bit BMP file.
bool screenshot(HWND window, const std::string& bmpPath);

// Waits until `condition` holds or the timeout passes; returns whether it held.
template <class Condition> bool waitUntil(Condition condition, std::chrono::milliseconds timeout = 15s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        ::Sleep(20);
    }
}

} // namespace driver
