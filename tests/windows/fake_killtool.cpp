// Stands in for the kill tool when a test needs it to misbehave (standard output is in text mode, so "\n"
// leaves as CR LF). QUELLARY_FAKE_KILLTOOL chooses how:
//   oneline   writes a first line only
//   hang      writes nothing and never ends for a name with "hang" in it, and only a first line for any other
//   denied    writes a verdict that is neither "Killed" nor "found"
//   log       appends its arguments to the file QUELLARY_FAKE_KILLTOOL_LOG and reports "not found"
//   killed    reports every name as found and terminated
// QUELLARY_FAKE_KILLTOOL_DELAY_MS, when set, delays the verdict by that many milliseconds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main() {
    const char* mode = std::getenv("QUELLARY_FAKE_KILLTOOL");
    const std::string how = mode != nullptr ? mode : "";
    if (const char* delay = std::getenv("QUELLARY_FAKE_KILLTOOL_DELAY_MS")) {
        ::Sleep(static_cast<DWORD>(std::atoi(delay)));
    }
    // Everything after the program's own name, as the tool received it.
    const char* line = ::GetCommandLineA();
    const char* space = std::strchr(line[0] == '"' ? std::strchr(line + 1, '"') : line, ' ');
    const std::string arguments = space != nullptr ? space + 1 : "";
    if (how == "hang" && arguments.find("hang") != std::string::npos) {
        ::Sleep(INFINITE);
    }
    if (how == "oneline" || how == "hang") {
        std::fputs("endprocx: looking for processes\n", stdout);
        return 0;
    }
    if (how == "denied") {
        std::fputs("endprocx: 1 process found\nAccess is denied\n", stdout);
        return 1;
    }
    if (how == "log") {
        if (const char* log = std::getenv("QUELLARY_FAKE_KILLTOOL_LOG")) {
            if (FILE* f = std::fopen(log, "ab")) {
                std::fprintf(f, "[%s]\n", arguments.c_str());
                std::fclose(f);
            }
        }
        std::fputs("endprocx: 0 processes found\nNo such process was found\n", stdout);
        return 0;
    }
    if (how == "killed") {
        std::fputs("endprocx: 1 process found\nProcess Killed\n", stdout);
        return 0;
    }
    return 2;
}
