// The termination run's timing: quellary.exe START against its floor (per task the 175 ms pause plus one bare
// "cmd /c endprocx.exe name > file" round trip), its own CPU time, and endprocx.exe against taskkill.
#include "app_dir.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace driver;

namespace {

double seconds(FILETIME t) {
    return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
}

double now() {
    LARGE_INTEGER count, frequency;
    ::QueryPerformanceCounter(&count);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Runs a command line hidden and waits for it; returns the seconds it took.
double timeCommand(const std::string& commandLine, const std::string& directory) {
    std::string line = commandLine;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info{};
    const double start = now();
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &startup,
                          &info)) {
        return -1;
    }
    ::WaitForSingleObject(info.hProcess, INFINITE);
    const double took = now() - start;
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return took;
}

std::string taskName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "cvbench%03d.exe", i);
    return name;
}

std::vector<std::unique_ptr<RunningTask>> startEveryThird(const AppDir& app, int count) {
    std::vector<std::unique_ptr<RunningTask>> running;
    for (int i = 0; i < count; i += 3) {
        running.push_back(std::make_unique<RunningTask>(app, taskName(i)));
    }
    return running;
}

void benchRun(int count) {
    AppDir app;
    app.install("endprocx.exe");
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        names.push_back(taskName(i));
    }
    app.put("quellary.ini", taskListFile(names));

    // The floor, over the same tasks in the same state.
    auto running = startEveryThird(app, count);
    const std::string result = app.file("floor.lst");
    double floor = 0;
    for (const std::string& name : names) {
        floor += 0.175 + timeCommand("cmd /c endprocx.exe " + name + " > " + result, app.path());
    }

    running = startEveryThird(app, count);
    const double start = now();
    Program program(app.quellary("START"));
    const std::optional<DWORD> code = program.waitForExit(std::chrono::minutes(10));
    const double wall = now() - start;
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(program.handle(), &created, &exited, &kernel, &user);
    const double cpu = seconds(kernel) + seconds(user);
    std::printf("%3d tasks (%zu running): run %.2f s, floor %.2f s, ratio %.3f (target <= 1.10), "
                "Quellary CPU %.3f s = %.1f%% of the run (target <= 5%%), exit code %lu\n",
                count, running.size(), wall, floor, wall / floor, cpu, 100.0 * cpu / wall,
                static_cast<unsigned long>(code.value_or(999)));
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void benchKillTools() {
    AppDir app;
    app.install("endprocx.exe");
    constexpr int rounds = 7;
    std::vector<double> ours, theirs;
    for (int i = 0; i < rounds; ++i) {
        {
            RunningTask task(app, "cvbenchkill.exe");
            ours.push_back(timeCommand(app.file("endprocx.exe") + " cvbenchkill.exe", app.path()));
        }
        {
            RunningTask task(app, "cvbenchkill.exe");
            theirs.push_back(timeCommand("taskkill /F /IM cvbenchkill.exe", app.path()));
        }
    }
    std::printf("ending one running task, median of %d: endprocx.exe %.0f ms, taskkill /F /IM %.0f ms\n", rounds,
                1000 * median(ours), 1000 * median(theirs));
}

} // namespace

int main() {
    benchRun(28);
    benchRun(100);
    benchKillTools();
    return 0;
}
