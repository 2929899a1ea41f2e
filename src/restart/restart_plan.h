// The Restart command's decisions that need no Windows: which registry key describes the client, the lock
// file's path, and how the client's program is started.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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

// A file the joined text may name as the client's program, and how much of the text names it; the rest of
// the text is the program's arguments.
struct ProgramCandidate {
    std::string file;
    std::size_t textLength = 0;
};

// A text with blanks started as a bare command line is cut at the first blank that leaves the name of a
// program ("C:\Program Files\..." runs "C:\Program.exe" if there is one). Here the program's file is
// looked for in "Path" alone: the whole text first, then each part that ends at a blank of "Name" (the
// rest being arguments), longest first, each as it stands and, when its file name has no extension,
// with ".exe", as the bare start would add it.
[[nodiscard]] std::vector<ProgramCandidate> programCandidates(const ClientEntry& entry);

// `program`: the first candidate that is an existing file, or nothing. A found program is started as
// exactly that file; a text with blanks that names none is not started bare but as the whole text, which
// fails. The client runs in its own directory, as a shortcut would start it.
[[nodiscard]] ClientLaunch clientLaunch(const ClientEntry& entry, const ProgramCandidate* program,
                                        bool pathIsDirectory);

} // namespace quellary
