#include "app/run_log.h"

#include "platform/files.h"
#include "platform/program.h"
#include "platform/ui.h"

#include <string>

namespace quellary {

namespace {

bool finished = false;
SYSTEMTIME stamped{};

// %LOCALAPPDATA%\Quellary\quellary.log, or nothing when LOCALAPPDATA is not set.
std::optional<std::string> runLogPath() {
    const std::optional<std::string> folder = environmentVariable("LOCALAPPDATA");
    if (!folder || folder->empty()) {
        return std::nullopt;
    }
    return *folder + "\\Quellary\\quellary.log";
}

} // namespace

RunRecord& runRecord() {
    static RunRecord record;
    return record;
}

void stampRunRecord() {
    ::GetSystemTime(&stamped);
}

void finishRunRecord(std::string_view ending) {
    if (finished) {
        return;
    }
    finished = true;
    RunRecord& record = runRecord();
    record.localTime = localTimeIso8601(stamped);
    record.ending = ending;
    for (const std::string& box : unseenBoxes()) {
        record.ending.append("\r\nbox not shown: ").append(box);
    }
    if (const std::optional<std::string> path = runLogPath()) {
        const std::string block = formatRunRecord(record);
        (void)updateFileInOneStep(*path, [&](std::string_view log) { return appendWithinCap(log, block, runLogCap); });
    }
}

void endRun(int exitCode, std::string_view why) {
    std::string ending = "exit code " + std::to_string(exitCode);
    if (!why.empty()) {
        ending.append(": ").append(why);
    }
    finishRunRecord(ending);
    endProgram(exitCode);
}

} // namespace quellary
