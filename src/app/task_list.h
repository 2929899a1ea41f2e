// The task list file: a header item followed by task names, read as comma- and line-separated data items.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quellary {

inline constexpr std::string_view taskListFileName = "quellary.ini";

// Every data item of the file, in file order. An item ends at a comma or at the end of a line; an empty
// line is one empty item; an item that starts with a double quote runs to the next double quote.
std::vector<std::string> readDataItems(std::string_view text);

struct TaskList {
    std::vector<std::string> entries; // the listed entries: every item after the header except the last
    std::size_t itemCount = 0;        // items in the file, header and last item included
};

TaskList readTaskList(std::string_view text);

// The file written when none exists: header, 27 names, an empty line and an upper-case name, CR LF throughout.
std::string defaultTaskListText();

} // namespace quellary
