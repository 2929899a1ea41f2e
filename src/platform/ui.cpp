#include "platform/ui.h"

#include <cstdlib>
#include <string>

namespace quellary {

namespace {

void dispatch(MSG& msg) {
    // Tab, arrow keys, access keys, Enter and Esc work in every window as they do in dialogs.
    const HWND root = msg.hwnd != nullptr ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root != nullptr && ::IsDialogMessageA(root, &msg)) {
        return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
}

std::string applicationTitleText;
void (*unexpectedFailureHandler)(const std::string&) = nullptr;
bool boxesUnseen = false;
std::vector<std::string> unseen;

HWND ownerForBox(HWND owner) {
    const HWND candidate = owner != nullptr ? owner : ::GetActiveWindow();
    return candidate != nullptr && ::IsWindowVisible(candidate) ? candidate : nullptr;
}

// Runs the pending events; false when the program has been told to quit.
bool runPendingEvents() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The quit belongs to the outer loop, which must still see it.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        dispatch(msg);
    }
    return true;
}

} // namespace

void setApplicationTitle(std::string_view title) {
    applicationTitleText = title;
}

const std::string& applicationTitle() {
    return applicationTitleText;
}

void setUnexpectedFailureHandler(void (*handler)(const std::string& report)) {
    unexpectedFailureHandler = handler;
}

void failUnexpectedly(const std::string& report) {
    if (unexpectedFailureHandler != nullptr) {
        unexpectedFailureHandler(report);
    } else {
        messageBox(report);
    }
    endProgram(EXIT_FAILURE);
}

void keepBoxesUnseen() {
    boxesUnseen = true;
}

const std::vector<std::string>& unseenBoxes() {
    return unseen;
}

int messageBox(std::string_view prompt, std::string_view title, UINT buttonsAndIcon, HWND owner) {
    const std::string text(prompt);
    const std::string caption(title.empty() ? applicationTitle() : title);
    if (boxesUnseen) {
        unseen.push_back(caption + ": " + text);
        return (buttonsAndIcon & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
    }
    return ::MessageBoxA(ownerForBox(owner), text.c_str(), caption.c_str(), buttonsAndIcon | MB_SETFOREGROUND);
}

void beep() {
    ::MessageBeep(MB_OK);
}

void doEvents() {
    (void)runPendingEvents();
}

WaitOutcome waitWithEvents(HANDLE object, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        const ULONGLONG now = ::GetTickCount64();
        const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        const DWORD r = ::MsgWaitForMultipleObjectsEx(1, &object, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        // An abandoned mutex is owned by the waiter all the same.
        if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED_0) {
            return WaitOutcome::Signalled;
        }
        if (r == WAIT_OBJECT_0 + 1) {
            // A quit, once seen, stays posted for the outer loop and would wake this wait at once for ever.
            if (!runPendingEvents()) {
                return WaitOutcome::Quit;
            }
            continue;
        }
        if (r == WAIT_TIMEOUT) {
            return WaitOutcome::TimedOut;
        }
        // WAIT_FAILED: a handle that cannot be waited on will never be signalled.
        return WaitOutcome::TimedOut;
    }
}

int runMessageLoop() {
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        dispatch(msg);
    }
    return static_cast<int>(msg.wParam);
}

void endProgram(int exitCode) {
    ::ExitProcess(static_cast<UINT>(exitCode));
}

} // namespace quellary
