// The termination run's timing: quellary.exe START against its floor (per task the 175 ms pause plus one bare
// "cmd /c endprocx.exe name > file" round trip), alone and beside many unrelated processes, its own CPU time, its
// start-up to a visible window against the main window's skeleton and a bare window program, and endprocx.exe against
// taskkill.
#include "app_dir.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace driver;

namespace {

double now() {
    LARGE_INTEGER count, frequency;
    ::QueryPerformanceCounter(&count);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Runs a command line hidden and waits for it; returns the seconds it took. `flags`: CREATE_NO_WINDOW gives it a
// console of its own, as a windowless program's commands get; without, it shares the benchmark's console.
double timeCommand(const std::string& commandLine, const std::string& directory, DWORD flags = 0) {
    std::string line = commandLine;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    // What the tools print is not the benchmark's output.
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    const HANDLE nul = ::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING, 0, nullptr);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdOutput = nul;
    startup.hStdError = nul;
    PROCESS_INFORMATION info{};
    const double start = now();
    const BOOL started = ::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, flags, nullptr,
                                          directory.c_str(), &startup, &info);
    ::CloseHandle(nul);
    if (!started) {
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

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct RunTiming {
    double wall = 0, floor = 0, cpu = 0;
    double windowlessFloor = 0; // the same round trips, each with a console of its own
    DWORD exitCode = 0;
};

// One round: the floor over the tasks, then the unattended run (started by `launch`) over the same tasks in the
// same state.
RunTiming timeRound(const AppDir& app, const Launch& launch, const std::vector<std::string>& names) {
    RunTiming t;
    auto running = startEveryThird(app, static_cast<int>(names.size()));
    const std::string result = app.file("floor.lst");
    for (const std::string& name : names) {
        t.floor += 0.175 + timeCommand("cmd /c endprocx.exe " + name + " > " + result, app.path());
    }
    running = startEveryThird(app, static_cast<int>(names.size()));
    for (const std::string& name : names) {
        t.windowlessFloor +=
            0.175 + timeCommand("cmd /c endprocx.exe " + name + " > " + result, app.path(), CREATE_NO_WINDOW);
    }

    running = startEveryThird(app, static_cast<int>(names.size()));
    const double start = now();
    Program program(launch);
    // Sampled while the program runs: an ended one may no longer tell. The last sample misses at most the
    // final tenth of a second. A run that outlasts three times its floor waits for what nobody answers here, such
    // as the box after Wine failed to start a command (it does, rarely): the bench ends it (exit code 999).
    while (::WaitForSingleObject(program.handle(), 100) == WAIT_TIMEOUT && now() - start < 3 * t.windowlessFloor) {
        t.cpu = program.processorSeconds().value_or(t.cpu);
    }
    t.wall = now() - start;
    t.exitCode = program.waitForExit(std::chrono::seconds(1)).value_or(999);
    return t;
}

// `systemWindowsDirectory`: Quellary sees the system's own Windows directory rather than a private one, so that
// for a standard user, who may not copy the tool there, the run starts it from the program's folder. Returns the
// run's median time.
double benchRun(int count, int rounds, bool systemWindowsDirectory = false) {
    AppDir app;
    app.install("endprocx.exe");
    Launch launch = app.quellary("START");
    if (systemWindowsDirectory) {
        launch.environment.erase("windir");
    }
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        names.push_back(taskName(i));
    }
    app.put("quellary.ini", taskListFile(names));

    std::vector<double> walls, floors, ratios, windowlessRatios, shares;
    for (int round = 0; round < rounds; ++round) {
        const RunTiming t = timeRound(app, launch, names);
        std::printf("  %3d tasks, round %d: run %.2f s, floor %.2f s, ratio %.3f, windowless floor %.2f s, ratio %.3f, "
                    "CPU %.3f s, exit code %lu\n",
                    count, round + 1, t.wall, t.floor, t.wall / t.floor, t.windowlessFloor, t.wall / t.windowlessFloor,
                    t.cpu, static_cast<unsigned long>(t.exitCode));
        walls.push_back(t.wall);
        floors.push_back(t.floor);
        ratios.push_back(t.wall / t.floor);
        windowlessRatios.push_back(t.wall / t.windowlessFloor);
        shares.push_back(t.cpu / t.wall);
    }
    std::printf("%3d tasks (%d running), median of %d: run %.2f s, floor %.2f s, ratio %.3f, "
                "ratio to the windowless floor %.3f (target <= 1.05), Quellary CPU %.1f%% of the run (target <= 5%%)\n",
                count, (count + 2) / 3, rounds, median(walls), median(floors), median(ratios), median(windowlessRatios),
                100.0 * median(shares));
    return median(walls);
}

// The same run with as many unrelated processes beside it as a busy workstation has: what the run costs must not
// grow with what else runs.
void benchBesideUnrelated(int unrelated, int rounds) {
    const double alone = benchRun(28, rounds);
    AppDir others;
    std::vector<std::unique_ptr<RunningTask>> crowd;
    for (int i = 0; i < unrelated; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "unrelated%03d.exe", i);
        crowd.push_back(std::make_unique<RunningTask>(others, name));
    }
    const double beside = benchRun(28, rounds);
    std::printf("28 tasks beside %d unrelated processes, median of %d: run %.2f s, alone %.2f s, ratio %.3f "
                "(target <= 1.10)\n",
                unrelated, rounds, beside, alone, beside / alone);
}

// Seconds from the start of the program to its first visible window of that class. The program is ended then, and
// the next start waits a moment: Wine tears a program's windows down after its process has ended, and a start that
// overlaps that work is measured slower.
double timeToWindow(const Launch& launch, const std::string& className) {
    double took = 0;
    {
        const double start = now();
        Program program(launch);
        while (program.windows(className).empty() && program.isRunning()) {
            ::Sleep(1);
        }
        took = now() - start;
    }
    ::Sleep(200);
    return took;
}

void benchStartup(int rounds) {
    AppDir app;
    app.install("endprocx.exe");
    std::vector<std::string> names;
    for (int i = 0; i < 28; ++i) {
        names.push_back(taskName(i));
    }
    app.put("quellary.ini", taskListFile(names));
    Launch bare;
    bare.exePath = binDirectory() + "\\bare_window.exe";
    Launch skeleton;
    skeleton.exePath = binDirectory() + "\\skeleton_window.exe";
    // The first start of each pays for loading what the next reuse.
    timeToWindow(app.quellary(), "QuellaryMain");
    timeToWindow(skeleton, "QuellaryMain");
    timeToWindow(bare, "BareWindow");
    std::vector<double> ours, skeletons, floors;
    for (int i = 0; i < rounds; ++i) {
        ours.push_back(timeToWindow(app.quellary(), "QuellaryMain"));
        skeletons.push_back(timeToWindow(skeleton, "QuellaryMain"));
        floors.push_back(timeToWindow(bare, "BareWindow"));
    }
    std::printf("start-up to a visible window, median of %d: Quellary %.0f ms, the main window's skeleton %.0f ms, "
                "ratio %.2f (target <= 1.10); a bare window program %.0f ms, ratio %.2f\n",
                rounds, 1000 * median(ours), 1000 * median(skeletons), median(ours) / median(skeletons),
                1000 * median(floors), median(ours) / median(floors));
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

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "standard-user") {
        std::printf("As a standard user (the tool run from the program's folder):\n");
        benchRun(28, 5, true);
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "unrelated") {
        benchBesideUnrelated(150, 5);
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "start-up") {
        benchStartup(15);
        return 0;
    }
    benchStartup(15);
    benchRun(28, 5);
    benchRun(100, 3);
    benchBesideUnrelated(150, 5);
    benchKillTools();
    return 0;
}
