// Writes Quellary's default task list file to the path given, so that the demo installs the very list the
// program would create itself.
#include "app/task_list.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: write_task_list <file>\n", stderr);
        return 2;
    }
    const std::string text = quellary::defaultTaskListText();
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return out.good() ? 0 : 1;
}
