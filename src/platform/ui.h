// The few user-interface services every window shares: message boxes, the beep, letting pending
// window events run, waiting without blocking the window, and ending the program.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace quellary {

// The application's title, which message boxes without a title of their own show; set once at start-up.
void setApplicationTitle(std::string_view title);
[[nodiscard]] const std::string& applicationTitle();

// What becomes of an exception that reaches a window procedure, where nothing could go on: the handler gets the
// report to show or keep, and ends the program. Without one (or should it return), the report is shown in a box and
// the program ends with EXIT_FAILURE.
void setUnexpectedFailureHandler(void (*handler)(const std::string& report));
[[noreturn]] void failUnexpectedly(const std::string& report);

// A modal message box owned by `owner`, or by the active window of this program when none is given (none
// while the window is not shown). An empty title shows the application title. Returns the button pressed
// (IDOK, IDYES, IDNO, ...).
int messageBox(std::string_view prompt, std::string_view title = {}, UINT buttonsAndIcon = MB_OK, HWND owner = nullptr);

// From now on no box is shown, for nobody could see it: its text is kept (unseenBoxes) and the box counts as
// answered with OK or No.
void keepBoxesUnseen();
[[nodiscard]] const std::vector<std::string>& unseenBoxes();

void beep();

// Lets every window event that is pending now run, then returns.
void doEvents();

// Waits until `object` is signalled or `timeoutMs` have passed, running window events as they arrive.
// Blocks between events: no processor time is spent while nothing happens. Returns early with Quit when
// the last window has closed.
enum class WaitOutcome { Signalled, TimedOut, Quit };
WaitOutcome waitWithEvents(HANDLE object, DWORD timeoutMs);

// Runs window events until the last window has closed; returns the exit code posted with it.
int runMessageLoop();

// Ends the program at once: no window or handler runs afterwards.
[[noreturn]] void endProgram(int exitCode);

} // namespace quellary
