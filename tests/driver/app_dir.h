// A throw-away application directory for whole-program tests: a copy of quellary.exe, a private
// Windows directory ("windir") beside it, and helpers to put and read files.
#pragma once

#include "driver.h"

#include <optional>
#include <string>

namespace driver {

// The directory that holds the test programs and the programs under test.
std::string binDirectory();
// Where screenshots go; created on first use.
std::string screenshotDirectory();

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);
// Lets everybody change the file or folder, as a world-writable one under Wine or "Authenticated Users: Modify" on
// Windows does.
bool openToEveryone(const std::string& path);
// A link to a file or folder: the system's own, or, where Wine only pretends to make one, a Unix link, which Wine
// follows as Windows follows its own. A link named as a drive ("Q:") is a drive letter for the folder, as `subst`
// or a mapped network drive makes one (under Wine, in the prefix's dosdevices; on Windows, for this logon).
bool makeLink(const std::string& link, const std::string& target, bool folder);
// Removes such a link, never what it leads to.
void removeLink(const std::string& link);
// Whether the tests run under Wine rather than on Windows itself.
bool underWine();

// The installations that scripts/standard-user.sh makes read-only in the standard user's prefix.
namespace standard_user {
inline const std::string programFiles = "C:\\Program Files";
inline const std::string withList = programFiles + "\\Quellary";                 // with the default task list
inline const std::string withoutList = programFiles + "\\Quellary Without List"; // no task list
inline const std::string clientFolder = programFiles + "\\Halvane\\Corvana";     // cvclient.exe and its tasks
// Quellary started from one of the installations, with the system's own Windows directory.
Launch quellary(const std::string& installation, const std::string& arguments = {});
} // namespace standard_user

class AppDir {
public:
    // `folder`: the application directory's name, in any script.
    explicit AppDir(const std::string& folder = "app");
    ~AppDir();
    AppDir(const AppDir&) = delete;
    AppDir& operator=(const AppDir&) = delete;

    [[nodiscard]] const std::string& path() const { return path_; }     // no trailing backslash
    [[nodiscard]] const std::string& windir() const { return windir_; } // no trailing backslash
    [[nodiscard]] std::string file(const std::string& name) const { return path_ + "\\" + name; }

    // Copies one of our built programs into the application directory (or elsewhere).
    void install(const std::string& program) const;
    void installTo(const std::string& program, const std::string& directory, const std::string& as = {}) const;
    void put(const std::string& name, const std::string& bytes) const { writeFile(file(name), bytes); }

    // Quellary started from this directory with "windir" pointing at the private Windows directory.
    [[nodiscard]] Launch quellary(const std::string& arguments = {}) const;

private:
    std::string path_;
    std::string windir_;
};

// A copy of task_standin.exe running under a task's name, ended with the object if still running; given
// `watched`, a command line, it is that program's watchdog.
class RunningTask {
public:
    RunningTask(const AppDir& app, const std::string& name, const std::string& watched = {});
    [[nodiscard]] std::string image() const { return image_; }
    ~RunningTask();
    RunningTask(const RunningTask&) = delete;
    RunningTask& operator=(const RunningTask&) = delete;

    [[nodiscard]] bool started() const { return info_.hProcess != nullptr; }
    // True once the process has ended, waiting up to the timeout for it.
    [[nodiscard]] bool endsWithin(std::chrono::milliseconds timeout) const;

private:
    PROCESS_INFORMATION info_{};
    std::string image_;
};

// Ids of the running processes with that image name (any case), and ending them.
std::vector<DWORD> processesNamed(const std::string& name);
void endProcessesNamed(const std::string& name);

// Whether the process's debug privilege is switched on (held and off counts as off); nothing where its token
// cannot be read.
std::optional<bool> debugPrivilegeOn(DWORD pid);

// The task list file the tests use unless they need another: header, names, and a last line.
std::string taskListFile(const std::vector<std::string>& names);

} // namespace driver
