// What "quellary.exe /?" says: how the command line is used, free of any window.
#pragma once

#include <string>
#include <string_view>

namespace quellary {

// True for "/?", "-?" and "/help" in any case with blanks at either end, and for nothing else.
bool isHelpArgument(std::string_view argumentText);

// The usage box's text. `logPath`: where this user's run records go, as the system gives it.
std::string usageText(std::string_view logPath);

} // namespace quellary
