#include "app/usage.h"

#include "platform/text.h"

#include <algorithm>
#include <array>

namespace quellary {

bool isHelpArgument(std::string_view argumentText) {
    constexpr std::array<std::string_view, 3> asks{"/?", "-?", "/help"};
    const std::string_view word = trimmedOfBlanks(argumentText);
    return std::any_of(asks.begin(), asks.end(),
                       [&](std::string_view ask) { return sameIgnoringAsciiCase(word, ask); });
}

// A message box wraps long lines at its own width: each paragraph is one line, and the exit codes one per line, so
// that their numbers stay at the left edge.
std::string usageText(std::string_view logPath) {
    std::string text = "Usage: quellary.exe [START | CHECK]\r\n"
                       "\r\n"
                       "Without an argument, Quellary opens its window: Start ends every running task that "
                       "quellary.ini lists, and Restart then starts the Corvana client again.\r\n"
                       "\r\n"
                       "START  ends the listed tasks without a window and exits with:\r\n"
                       "0  every listed task was handled and none is left running\r\n"
                       "1  some task may still be running, or an entry is a name no program can have\r\n"
                       "2  the run could not be carried out\r\n"
                       "3  the listed tasks were handled, but programs of the client that the list does not name "
                       "still run\r\n"
                       "\r\n"
                       "CHECK  ends nothing and shows no window; it exits with what START would have to do:\r\n"
                       "0  nothing of the client runs\r\n"
                       "1  a listed task runs\r\n"
                       "2  the check could not be carried out\r\n"
                       "3  only programs of the client that the list does not name run\r\n"
                       "\r\n"
                       "/?  shows this text.\r\n"
                       "\r\n"
                       "Every run appends its record to\r\n";
    text.append(logPath);
    return text;
}

} // namespace quellary
