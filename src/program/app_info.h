// The program's title, version and exit codes as the user and its callers see them.
#pragma once

#include "res/version.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quellary {

inline constexpr std::string_view appTitle = "Quellary";

// How the program ends when it ends on its own; the unattended run reports its outcome this way.
enum ExitCode : int {
    exitDone = 0,          // every task handled, none left running
    exitTasksMayRun = 1,   // some task was found but may still be running
    exitNotCarriedOut = 2, // the run (or the start-up) could not be carried out
    exitUnlistedRun = 3,   // every listed task handled, but programs of the client that the list lacks still run
};

// The version as a version resource packs it (FILEVERSION): the kill tool carries the same.
inline constexpr std::uint64_t ownVersion = (std::uint64_t{QUELLARY_VERSION_MAJOR} << 48) |
                                            (std::uint64_t{QUELLARY_VERSION_MINOR} << 32) |
                                            (std::uint64_t{QUELLARY_VERSION_REVISION} << 16) | QUELLARY_VERSION_BUILD;

// Major, minor and revision as plain decimal digits joined by full stops: "3.1.0".
inline std::string versionText() {
    return std::to_string(QUELLARY_VERSION_MAJOR) + "." + std::to_string(QUELLARY_VERSION_MINOR) + "." +
           std::to_string(QUELLARY_VERSION_REVISION);
}

} // namespace quellary
