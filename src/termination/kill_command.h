// The kill tool's command line, the verdict read back from its result file, and the run's messages:
// plain data in, plain data out.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quellary {

inline constexpr std::string_view killToolName = "endprocx.exe";
inline constexpr std::string_view resultFileName = "killed.lst";
inline constexpr std::string_view defaultResultFile = "C:\\killed.lst";

// "cmd /d /c endprocx.exe " on the NT family, "command.com /c endprocx.exe " otherwise (also for no family). "/d"
// keeps the interpreter from running an AutoRun entry first (a shell hook, a logon script), which could change
// the directory or write into the verdict; the older interpreter has no AutoRun and no such switch.
std::string commandPrefix(std::string_view osFamily);

// The interpreter that the prefix names, as a file of the system directory: "cmd.exe" or "command.com".
// It is started from there by its full path, never looked for beside the program.
std::string_view interpreterFileName(std::string_view osFamily);

// The interpreter's command for one task, the result file quoted when it holds a blank.
// With no tool path (the tool lies in the Windows directory, the interpreter's current directory): the prefix,
// the task name as listed, " > " and the result file.
// With the tool's full path (the tool lies beside the program): the interpreter's current directory may end up
// anywhere (a share it refuses, an AutoRun entry that changes it), so the path names the tool. The whole command
// is wrapped in one more pair of quotes, which "/c" strips again whenever the text holds more than two quotes;
// otherwise it would strip the tool path's opening quote and the result file's closing one.
std::string killCommandLine(std::string_view osFamily, std::string_view toolPath, std::string_view taskName,
                            std::string_view resultFile);

// The kill tool started by itself, without the interpreter: its full path, quoted, and the task name as listed.
std::string directCommandLine(std::string_view toolPath, std::string_view taskName);

// Whether a failed start of the interpreter means that the machine's rules allow no interpreter (access denied,
// AppLocker, software restriction policies, application control and its reputation checks), so that the tool
// must be started by itself.
[[nodiscard]] bool interpreterRefused(unsigned long startError);

// True when the command interpreter would read part of the text as something other than text (a second
// command, a redirection, a variable, an escape), even within quotes. A task name, tool path or result file
// like that is handed to the tool without the interpreter, so that no part of it can run as a command.
bool needsDirectStart(std::string_view text);

// Whether the "Prevent access to the command prompt" policy (DisableCMD, per user and per machine; nothing when
// unset) keeps the interpreter from running the command. 1 refuses every use of cmd, 2 lets batch files run but
// still refuses a command given after "/c"; cmd then waits for a key that never comes. Any value but 0 is taken
// as set: the direct start works either way.
[[nodiscard]] bool promptDisabledBy(std::optional<unsigned long> userPolicy,
                                    std::optional<unsigned long> machinePolicy);

enum class Verdict {
    Killed,       // found and terminated: the tick stays
    NotFound,     // not running: the tick is cleared
    Unrecognised, // neither word at the end of the line: the tick stays, but the task may still run
};

// Judged by the line's last characters, case-sensitive, nothing trimmed.
Verdict judge(std::string_view line);

// The second line of the result file, once the file holds two lines (the second one may lack its break).
std::optional<std::string> verdictLine(std::string_view fileText);

// How the processes that the tool ended went, from its summary line (line 1): "1 closed when asked, 2 forced". Empty
// when it asked none to close, and so forced every one.
std::string closingOf(std::string_view fileText);

// A task that the run could not confirm as terminated, and why.
struct Unconfirmed {
    std::string task;
    std::string reason; // the tool's verdict line, or what went wrong
};

// The tasks that may still be running, in one message; empty when there are none.
std::string unconfirmedMessage(const std::vector<Unconfirmed>& tasks);

std::string startFailureMessage(std::string_view commandLine);

// The machine's run mutex, which another run made, could neither be opened for waiting nor made anew.
std::string runMutexFailureMessage(std::string_view name, std::string_view reason);

// Another run held the machine's run for longer than the run waits.
std::string otherRunMessage(unsigned minutes);

// Not one of the places where the kill tool could write its verdicts can be made anew (TEMP missing or offline,
// say): the run does not start.
std::string noResultFileMessage(const std::vector<std::string>& candidates);

// Asks whether to end the programs in the client's folder that the list does not name.
std::string unlistedProgramsQuestion(const std::vector<std::string>& programs);

// The error report: three lines, each label 14 characters.
std::string errorReportMessage(long number, int stepMark, std::string_view description);

inline constexpr std::string_view noTasksActiveText = "No Corvana tasks were active";
inline constexpr std::string_view noTasksActiveTitle = "Ready To Restart Corvana";

} // namespace quellary
