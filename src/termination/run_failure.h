// How the kill command and the looks end the run around them early: a failure for the error report, or the run
// cut short by the run itself.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace quellary {

// Which phase of the run a failure happened in, as the error report numbers it.
enum StepMark : int {
    markTasks = 0,
    markOpenResult = 100,
    markReadResult = 110,
    markPruneTop = 200,
    markPruneRemove = 210,
    markPruneBound = 220,
    markErrorHandler = 240,
};

// A failure that ends the run with the error report.
struct RunFailure : std::runtime_error {
    RunFailure(unsigned long code, const std::string& description) : std::runtime_error(description), code(code) {}
    unsigned long code;
};

// What the kill command asks of the run around it. Both ending calls unwind to the run.
class RunControl {
public:
    virtual ~RunControl() = default;
    virtual void enter(StepMark mark) = 0;
    // Ends the run where it was cut short (its window closed, the session ending) while the command waited.
    virtual void checkStillWanted(bool quitSeen = false) = 0;
    // Ends the run untried: `why` for the record, and the box the user is shown, if any.
    [[noreturn]] virtual void end(std::string_view why, std::string_view box) = 0;
};

} // namespace quellary
