// The program's title and version as the user sees them.
#pragma once

#include "res/version.h"

#include <string>
#include <string_view>

namespace quellary {

inline constexpr std::string_view appTitle = "Quellary";

// Major, minor and revision as plain decimal digits joined by full stops: "3.1.0".
inline std::string versionText() {
    return std::to_string(QUELLARY_VERSION_MAJOR) + "." + std::to_string(QUELLARY_VERSION_MINOR) + "." +
           std::to_string(QUELLARY_VERSION_REVISION);
}

} // namespace quellary
