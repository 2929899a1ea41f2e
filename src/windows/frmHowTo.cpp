#include "windows/frmHowTo.h"

#include "app/app_info.h"
#include "app/frmMain.h"
#include "app/task_list.h"
#include "platform/files.h"
#include "platform/program.h"
#include "platform/ui.h"
#include "windows/frmHowTo_layout.h"
#include "windows/help_text.h"

#include <exception>
#include <new>
#include <optional>
#include <string>

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

// Ends the program through the main window, so that a run under way leaves its record.
[[noreturn]] void failAt(frmMain& main, int mark, DWORD code, const std::string& description) {
    std::string prompt;
    if (mark == markOpen) {
        prompt = helpFileErrorPrompt();
        messageBox(prompt, helpFileErrorTitle);
    } else {
        prompt = helpErrorReportPrompt(code, mark, description);
        messageBox(prompt, helpErrorReportTitle);
    }
    main.quit(exitNotCarriedOut, prompt);
}

} // namespace

frmHowTo::frmHowTo(frmMain& main) : Form(help_window::form), main_(main) {}

void frmHowTo::load() {
    int mark = markPath;
    try {
        const std::string directory = executableDirectory();
        const std::string path = frmMain::taskListPath();

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
        failAt(main_, mark, failure.code, systemErrorText(failure.code));
    } catch (const std::bad_alloc&) {
        failAt(main_, mark, ERROR_NOT_ENOUGH_MEMORY, systemErrorText(ERROR_NOT_ENOUGH_MEMORY));
    } catch (const std::exception& e) {
        failAt(main_, mark, ERROR_GEN_FAILURE, e.what());
    }
}

bool frmHowTo::onQueryClose() {
    if (main_.isOpen()) {
        ::SetActiveWindow(main_.hwnd());
        ::SetFocus(main_.hwnd());
    }
    return true;
}

} // namespace quellary
