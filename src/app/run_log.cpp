#include "app/run_log.h"

#include "platform/files.h"
#include "platform/program.h"
#include "platform/standard_output.h"
#include "platform/ui.h"

#include <string>

namespace quellary {

std::optional<std::string> runLogPath() {
    const std::optional<std::string> folder = environmentVariable("LOCALAPPDATA");
    if (!folder || folder->empty()) {
        return std::nullopt;
    }
    return *folder + "\\Quellary\\quellary.log";
}

void writeRunRecord(RunRecord record, std::string_view ending) try {
    const FILETIME started{static_cast<DWORD>(record.startedAt), static_cast<DWORD>(record.startedAt >> 32)};
    SYSTEMTIME utc{};
    ::FileTimeToSystemTime(&started, &utc);
    record.localTime = localTimeIso8601(utc);
    record.ending = ending;
    for (const std::string& box : unseenBoxes()) {
        record.ending.append("\r\nbox not shown: ").append(box);
    }
    const std::string block = formatRunRecord(record);
    // A deployment tool shows what its script wrote: the record tells there which task still runs.
    if (record.unattended) {
        writeToStandardOutput(block);
    }
    if (const std::optional<std::string> path = runLogPath()) {
        (void)updateFileInOneStep(*path, [&](std::string_view log) { return appendWithinCap(log, block, runLogCap); });
    }
} catch (const std::exception&) {
    // Out of memory: the record is let go like any other that cannot be written.
}

void exitProgram(int exitCode, const RunRecord* unwrittenRun, std::string_view why) {
    if (unwrittenRun != nullptr) {
        std::string ending = "exit code " + std::to_string(exitCode);
        if (!why.empty()) {
            ending.append(": ").append(why);
        }
        writeRunRecord(*unwrittenRun, ending);
    }
    endProgram(exitCode);
}

} // namespace quellary
