// Feeds arbitrary bytes to the task list reader: it must neither crash nor list more than it read.
#include "app/task_list.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const quellary::TaskList list = quellary::readTaskList(text);
    std::size_t listed = 0;
    for (const std::string& entry : list.entries) {
        listed += entry.size();
    }
    if (listed > size || (list.itemCount > 2 && list.entries.size() != list.itemCount - 2) ||
        (list.itemCount <= 2 && !list.entries.empty())) {
        std::abort();
    }
    return 0;
}
