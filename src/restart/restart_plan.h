// The Restart command's decisions that need no Windows: which registry key describes the client, the lock
// file's path, and how the client's program is started.
#pragma once

#include <string>
#include <string_view>

namespace quellary {

// Under HKEY_LOCAL_MACHINE; the versioned key is read only where the main key names no data directory.
inline constexpr std::string_view clientMainKey = "Software\\Halvane\\Corvana";
inline constexpr std::string_view clientFallbackKey = "Software\\Halvane\\Corvana\\4.0";
inline constexpr std::string_view clientLockFileName = "~corvana.lck";

inline constexpr std::string_view clientStartFailureText =
    "Sorry. I could not start Corvana.\r\nYou'll have to do so yourself.";

// The three texts one registry key holds about the client; a missing value is an empty text.
struct ClientEntry {
    std::string dataPath; // the client's data directory, expected to end in a backslash
    std::string path;     // the directory of the client's program, expected to end in a backslash
    std::string name;     // the file name of the client's program
};

// Only the data directory decides: a key without one is passed over, whatever else it holds.
[[nodiscard]] inline bool needsFallback(const ClientEntry& entry) {
    return entry.dataPath.empty();
}

// Joined without a separator of their own: the registry texts carry their backslashes. With no data
// directory the bare name is relative to the current directory.
[[nodiscard]] std::string lockFilePath(const ClientEntry& entry);
[[nodiscard]] std::string clientProgramText(const ClientEntry& entry);

// How to start the client: either the joined text as a command line, or exactly the file it names.
struct ClientLaunch {
    std::string commandLine;
    std::string application; // empty: the command line's first word names the program
    std::string directory;   // the new process's current directory; empty: ours
};

// What the shell found on disk about the entry.
struct ClientFiles {
    bool programIsFile = false;   // the joined text names an existing file
    bool pathIsDirectory = false; // "Path" names an existing directory
};

// A text with blanks started as a bare command line is cut at its first blank that names a program
// ("C:\Program Files\..." runs "C:\Program.exe" if there is one). Such a text, and any text that names an
// existing file, is started as exactly that file or not at all. The client runs in its own directory, as
// a shortcut would start it.
[[nodiscard]] ClientLaunch clientLaunch(const ClientEntry& entry, const ClientFiles& found);

} // namespace quellary
