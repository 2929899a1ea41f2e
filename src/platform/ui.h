// The few user-interface services every window shares: message boxes, the beep, letting pending
// window events run, waiting without blocking the window, and ending the program.
#pragma once

#include <windows.h>

#include <string_view>

namespace quellary {

// A modal message box owned by the active window of this program (none before a window is shown).
// An empty title shows the application title. Returns the button pressed (IDOK, IDYES, IDNO, ...).
int messageBox(std::string_view prompt, std::string_view title = {}, UINT buttonsAndIcon = MB_OK);

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
