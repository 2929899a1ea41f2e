#include "windows/frmHowTo.h"

#include "platform/files.h"
#include "platform/ui.h"
#include "program/app_info.h"
#include "windows/frmHowTo_layout.h"
#include "windows/help_text.h"

#include <exception>
#include <new>
#include <optional>
#include <string>
#include <utility>

namespace quellary {

using namespace help_window;

namespace {

// Which phase of the load was running when it failed; the error report names it.
enum StepMark : int {
    markPath = 100,     // the directory and the file's path
    markHelpText = 200, // txtHowTo's font and text
    markOpen = 300,     // the one failure with a box of its own
    markRead = 310,
    markShowFile = 330, // 320, the close, cannot fail on its own: the read closes the file
};

// A failed step: the system's error code and its text.
struct LoadFailure {
    DWORD code;
};

void check(bool succeeded) {
    if (!succeeded) {
        throw LoadFailure{::GetLastError()};
    }
}

void setText(HWND control, const std::string& text) {
    // SetWindowText succeeds without clearing the last error.
    ::SetLastError(ERROR_SUCCESS);
    check(::SetWindowTextA(control, text.c_str()) != 0);
}

[[noreturn]] void failAt(const HowToInputs& inputs, int mark, DWORD code, const std::string& description) {
    std::string prompt;
    if (mark == markOpen) {
        prompt = helpFileErrorPrompt();
        messageBox(prompt, helpFileErrorTitle);
    } else {
        prompt = helpErrorReportPrompt(code, mark, description);
        messageBox(prompt, helpErrorReportTitle);
    }
    inputs.quit(exitNotCarriedOut, prompt);
    endProgram(exitNotCarriedOut);
}

} // namespace

frmHowTo::frmHowTo(const Form& owner, HowToInputs inputs)
    : Form(help_window::form), owner_(owner), inputs_(std::move(inputs)) {}

void frmHowTo::load() {
    int mark = markPath;
    try {
        const std::string& directory = inputs_.applicationDirectory;
        const std::string& path = inputs_.taskListPath;

        mark = markHelpText;
        setControlFont(idTxtHowTo, {"Arial", 1200});
        setText(control(idTxtHowTo), helpText(directory));

        // Every character as it is, decoded as the list was read: the header, empty lines and the line breaks all
        // show. A file open in an editor can still be shown.
        mark = markOpen;
        FileError error;
        const std::optional<std::string> contents = readTextFile(path, &error);
        if (!contents) {
            mark = error.whileOpening ? markOpen : markRead;
            throw LoadFailure{error.code};
        }

        mark = markShowFile;
        setText(control(idTxtTaskList), *contents);
    } catch (const LoadFailure& failure) {
        failAt(inputs_, mark, failure.code, systemErrorText(failure.code));
    } catch (const std::bad_alloc&) {
        failAt(inputs_, mark, ERROR_NOT_ENOUGH_MEMORY, systemErrorText(ERROR_NOT_ENOUGH_MEMORY));
    } catch (const std::exception& e) {
        failAt(inputs_, mark, ERROR_GEN_FAILURE, e.what());
    }
}

bool frmHowTo::onQueryClose() {
    if (owner_.isOpen()) {
        ::SetActiveWindow(owner_.hwnd());
        ::SetFocus(owner_.hwnd());
    }
    return true;
}

} // namespace quellary
