#include "restart/restart_plan.h"

namespace quellary {

std::string lockFilePath(const ClientEntry& entry) {
    return entry.dataPath + std::string(clientLockFileName);
}

std::string clientProgramText(const ClientEntry& entry) {
    return entry.path + entry.name;
}

std::vector<ProgramCandidate> programCandidates(const ClientEntry& entry) {
    const std::string text = clientProgramText(entry);
    std::vector<ProgramCandidate> candidates;
    const auto add = [&](std::size_t length) {
        const std::string part(text.substr(0, length));
        candidates.push_back({part, length});
        const std::size_t nameStart = part.find_last_of("\\/:") + 1; // npos + 1 is 0
        if (!part.empty() && part.find('.', nameStart) == std::string::npos) {
            candidates.push_back({part + ".exe", length});
        }
    };
    add(text.size());
    for (std::size_t blank = text.find_last_of(' '); blank != std::string::npos && blank > entry.path.size();
         blank = text.find_last_of(' ', blank - 1)) {
        add(blank);
    }
    return candidates;
}

ClientLaunch clientLaunch(const ClientEntry& entry, const ProgramCandidate* program, bool pathIsDirectory) {
    ClientLaunch launch;
    const std::string text = clientProgramText(entry);
    if (program != nullptr) {
        launch.application = program->file;
        // The program's own name comes first on its command line, quoted so that it reads as one word.
        launch.commandLine = "\"" + program->file + "\"" + text.substr(program->textLength);
    } else if (text.find_first_of(" \t") != std::string::npos) {
        launch.application = text;
        launch.commandLine = "\"" + text + "\"";
    } else {
        launch.commandLine = text;
    }
    if (pathIsDirectory) {
        launch.directory = entry.path;
    }
    return launch;
}

} // namespace quellary
