#include "program/run_record.h"

#include <algorithm>

namespace quellary {

namespace {

// Labels and continuation lines line up under the values: "result file: " is the longest label.
constexpr std::size_t valueColumn = 13;

// The text on one line of the log, or on several indented ones whatever line breaks it used (CR LF, LF or
// CR alone), so that none of its lines can be taken for a block's first line. Trailing breaks are dropped.
std::string indented(std::string_view text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) {
        text.remove_suffix(1);
    }
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            result += text[i];
            continue;
        }
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        }
        result += "\r\n";
        result.append(valueColumn, ' ');
    }
    return result;
}

void appendField(std::string& block, std::string_view label, std::string_view value) {
    block += label;
    block.append(valueColumn - label.size(), ' ');
    block += value.empty() ? "(none)" : indented(value);
    block += "\r\n";
}

std::string outcomeText(const TaskRecord& task) {
    switch (task.outcome) {
    case TaskOutcome::Terminated:
        return task.reason.empty() ? "terminated" : "terminated (" + task.reason + ")";
    case TaskOutcome::NotRunning:
        return "not running";
    case TaskOutcome::Unusable:
        return "not a program name (" + task.reason + ")";
    case TaskOutcome::Running:
        return task.reason.empty() ? "running" : "may be running (" + task.reason + ")";
    case TaskOutcome::Unticked:
        return "left running (unticked)";
    case TaskOutcome::MayStillRun:
        break;
    }
    return task.reason.empty() ? "may still be running" : "may still be running (" + task.reason + ")";
}

// Where the first block at or after `from` starts: a header at the start of a line.
std::size_t blockStart(std::string_view text, std::size_t from) {
    for (std::size_t at = text.find(runHeaderStart, from); at != std::string_view::npos;
         at = text.find(runHeaderStart, at + 1)) {
        if (at == 0 || text[at - 1] == '\n') {
            return at;
        }
    }
    return std::string_view::npos;
}

} // namespace

std::string formatRunRecord(const RunRecord& record) {
    std::string block = std::string(runHeaderStart) + indented(record.localTime) + " ===\r\n";
    appendField(block, "program:", record.programPath);
    appendField(block, "task list:", record.taskListPath);
    appendField(block, "mode:", record.check ? "CHECK" : record.unattended ? "START" : "interactive");
    appendField(block, "result file:", record.resultFile);
    for (const TaskRecord& task : record.tasks) {
        block += "task " + indented(task.task.empty() ? "(empty name)" : task.task) + ": " +
                 indented(outcomeText(task)) + "\r\n";
    }
    for (const std::string& program : record.unlistedLeftRunning) {
        const bool unread = std::find(record.unlistedUnread.begin(), record.unlistedUnread.end(), program) !=
                            record.unlistedUnread.end();
        block += "unlisted program " + indented(program) + ": left running" +
                 (unread ? " (a process of its name runs whose path could not be read)" : "") + "\r\n";
    }
    appendField(block, "ended:", record.ending);
    block += "\r\n";
    return block;
}

std::string appendWithinCap(std::string_view existing, std::string_view block, std::size_t cap) {
    // A log that does not end with a line break (edited by hand) gets one, so that the block's header still
    // starts a line and can be found again.
    const std::string_view separator = existing.empty() || existing.back() == '\n' ? "" : "\r\n";
    const auto fits = [&](std::size_t from) { return existing.size() - from + separator.size() + block.size() <= cap; };
    std::size_t from = 0;
    if (!fits(from)) {
        from = blockStart(existing, 0);
        while (from != std::string_view::npos && !fits(from)) {
            from = blockStart(existing, from + 1);
        }
    }
    if (from == std::string_view::npos) {
        return std::string(block);
    }
    std::string log(existing.substr(from));
    log += separator;
    log += block;
    return log;
}

} // namespace quellary
