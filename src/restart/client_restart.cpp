#include "restart/client_restart.h"

#include "program/app_info.h"
#include "platform/files.h"
#include "platform/own_file.h"
#include "platform/program.h"
#include "platform/ui.h"
#include "registry/cRegistry.h"
#include "restart/restart_plan.h"

#include <algorithm>
#include <exception>

namespace quellary {

namespace {

// The three texts of one key. A key missing from the native view may have been written by a 32-bit
// installer into the 32-bit view, which a 64-bit program does not see by default.
ClientEntry readEntry(cRegistry& registry, std::string_view key) {
    registry.SectionKey(std::string(key));
    registry.View(RegistryView::Native);
    if (!registry.KeyExists()) {
        registry.View(RegistryView::Bits32);
    }
    registry.ValueType(regSz);
    const auto read = [&registry](const char* name) {
        registry.ValueKey(name);
        return registry.Value().textForm();
    };
    ClientEntry entry;
    entry.dataPath = read("DataPath");
    entry.path = read("Path");
    entry.name = read("Name");
    return entry;
}

// Any file at all, hidden ones included: a program is started by what is on disk, not by what a listing shows.
bool isFile(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool isDirectory(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

std::optional<ClientEntry> readClientEntry() {
    try {
        cRegistry registry;
        registry.ClassKey(hkeyLocalMachine);
        ClientEntry entry = readEntry(registry, clientMainKey);
        if (needsFallback(entry)) {
            entry = readEntry(registry, clientFallbackKey);
        }
        return entry;
    } catch (const std::exception&) {
        // Missing keys and values read as empty texts; what is left to fail here is memory.
        return std::nullopt;
    }
}

RestartAttempt restartClient() {
    const std::optional<ClientEntry> read = readClientEntry();
    if (!read) {
        return {};
    }
    const ClientEntry& entry = *read;
    const std::string lockFile = lockFilePath(entry);

    // Hidden, system or read-only alike, but never through a link that someone who may write the data folder put
    // there. A lock file that is missing or still held by a process is no reason not to try the start.
    (void)deleteFileInItsFolder(lockFile);

    RestartAttempt attempt;
    attempt.outcome = RestartOutcome::StartFailed;
    try {
        const std::vector<ProgramCandidate> candidates = programCandidates(entry);
        const auto found = std::find_if(candidates.begin(), candidates.end(),
                                        [](const ProgramCandidate& c) { return isFile(c.file); });
        const ClientLaunch launch =
            clientLaunch(entry, found != candidates.end() ? &*found : nullptr, isDirectory(entry.path));
        StartOptions options;
        options.showWindow = SW_SHOWNORMAL;
        options.application = launch.application;
        options.directory = launch.directory;
        attempt.client = startProgram(launch.commandLine, options);
        if (attempt.client.processId != 0) {
            attempt.outcome = RestartOutcome::Started;
        }
    } catch (const std::exception&) {
        // Reported like any other failed start.
    }
    return attempt;
}

} // namespace quellary
