#include "restart/restart_plan.h"

namespace quellary {

std::string lockFilePath(const ClientEntry& entry) {
    return entry.dataPath + std::string(clientLockFileName);
}

std::string clientProgramText(const ClientEntry& entry) {
    return entry.path + entry.name;
}

ClientLaunch clientLaunch(const ClientEntry& entry, const ClientFiles& found) {
    ClientLaunch launch;
    const std::string program = clientProgramText(entry);
    if (found.programIsFile || program.find_first_of(" \t") != std::string::npos) {
        launch.application = program;
        // The program's own name comes first on its command line, quoted so that it reads as one word.
        launch.commandLine = "\"" + program + "\"";
    } else {
        launch.commandLine = program;
    }
    if (found.pathIsDirectory) {
        launch.directory = entry.path;
    }
    return launch;
}

} // namespace quellary
