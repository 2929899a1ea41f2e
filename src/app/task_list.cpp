#include "app/task_list.h"

#include <array>

namespace quellary {

namespace {

bool isLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// Moves past one line break, CR LF counting as one.
std::size_t skipLineBreak(std::string_view text, std::size_t pos) {
    if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') {
        return pos + 2;
    }
    return pos + 1;
}

} // namespace

std::vector<std::string> readDataItems(std::string_view text) {
    std::vector<std::string> items;
    std::size_t pos = 0;
    // The file ends once the position stands after its last character: a final line break adds no item.
    while (pos < text.size()) {
        std::string item;
        if (text[pos] == '"') {
            const std::size_t close = text.find('"', pos + 1);
            const std::size_t end = close == std::string_view::npos ? text.size() : close;
            item.assign(text.substr(pos + 1, end - pos - 1));
            pos = close == std::string_view::npos ? text.size() : close + 1;
            // Whatever follows the closing quote up to the delimiter is not part of the item.
            while (pos < text.size() && text[pos] != ',' && !isLineBreak(text[pos])) {
                ++pos;
            }
        } else {
            const std::size_t start = pos;
            while (pos < text.size() && text[pos] != ',' && !isLineBreak(text[pos])) {
                ++pos;
            }
            item.assign(text.substr(start, pos - start));
        }
        items.push_back(std::move(item));
        if (pos < text.size()) {
            if (text[pos] == ',') {
                ++pos;
                // A comma at the end of a line still opens an (empty) item; at the end of the file the file
                // has ended, and the item before the comma is the last one.
                if (pos < text.size() && isLineBreak(text[pos])) {
                    items.emplace_back();
                    pos = skipLineBreak(text, pos);
                }
            } else {
                pos = skipLineBreak(text, pos);
            }
        }
    }
    return items;
}

TaskList readTaskList(std::string_view text) {
    std::vector<std::string> items = readDataItems(text);
    TaskList list;
    list.itemCount = items.size();
    if (items.size() > 2) {
        list.entries.assign(std::make_move_iterator(items.begin() + 1), std::make_move_iterator(items.end() - 1));
    }
    return list;
}

std::string defaultTaskListText() {
    static constexpr std::array<std::string_view, 27> names{
        "cvagent.exe",   "cvalert.exe", "cvbackup.exe", "cvcache.exe", "cvcal.exe",    "cvclient.exe", "cvdial.exe",
        "cvdirsync.exe", "cvfax.exe",   "cvhelper.exe", "cvindex.exe", "cvlaunch.exe", "cvmail.exe",   "cvmon.exe",
        "cvnotify.exe",  "cvpager.exe", "cvprint.exe",  "cvqueue.exe", "cvremind.exe", "cvsched.exe",  "cvsearch.exe",
        "cvserv.exe",    "cvspell.exe", "cvsync.exe",   "cvtray.exe",  "cvupdate.exe", "cvwatch.exe",
    };
    std::string text = "[Corvana Task List]\r\n";
    for (std::string_view name : names) {
        text.append(name).append("\r\n");
    }
    text.append("\r\nCVSETUP.EXE\r\n");
    return text;
}

} // namespace quellary
