#include "app/usage.h"

#include <array>

namespace quellary {

namespace {

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upper(a[i]) != upper(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

bool isHelpArgument(std::string_view argumentText) {
    const std::size_t first = argumentText.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return false;
    }
    const std::string_view word = argumentText.substr(first, argumentText.find_last_not_of(' ') - first + 1);
    constexpr std::array<std::string_view, 3> asks{"/?", "-?", "/help"};
    for (const std::string_view ask : asks) {
        if (sameIgnoringCase(word, ask)) {
            return true;
        }
    }
    return false;
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
