// Which running processes a task list entry names, decided on plain data: the system's list of processes (one
// row each, read without opening any process) and, only where a row's name alone cannot decide, what its image
// is. Free of Windows, so that reach, access and matching are tested as tables.
#pragma once

#include "platform/process_rows.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quellary {

// Names compare as the file system compares them; on Windows that needs the system's case table.
using SameName = bool (*)(std::wstring_view, std::wstring_view);

// Unconfirmed: a process that may be the one named but cannot be told apart; it counts as running, never as
// "not running". In order of weight: what one row shows outweighs what another leaves open.
enum class Match { No, Unconfirmed, Yes };

// Whether two keys are one file: by identity where both have one, else by final path; nothing where they cannot
// tell.
[[nodiscard]] std::optional<bool> sameFile(const FileKey& a, const FileKey& b, SameName same);

struct NamedFile {
    std::wstring path;           // its long form
    std::wstring shortName;      // its 8.3 file name, where it has one besides its long name
    std::optional<FileKey> file; // nothing where the file cannot be opened
    bool missing = false;        // no file is at the path, on a volume that answers: gone, or never there
};

// What one task list entry names: a full path the processes started from that file, a program's file name the
// processes of that image name, an entry no program can be called nothing. The program's "does it still run?"
// and the kill tool's "what do I end?" both ask it, so that they cannot disagree.
class EntryMatch {
public:
    EntryMatch() = default; // names nothing
    [[nodiscard]] static EntryMatch byName(std::wstring_view name, SameName same);
    [[nodiscard]] static EntryMatch byFile(NamedFile file, SameName same);

    // The row's image is asked for only where its name cannot decide: by name, a row listed under an 8.3
    // name; by file, every row of the file's name.
    [[nodiscard]] Match operator()(const ProcessRow& row, const ImageOf& imageOf) const;

    [[nodiscard]] const NamedFile& file() const { return file_; }

private:
    enum class Kind { Nothing, Name, File };
    [[nodiscard]] Match imageMatch(const ImageLookup& image) const;

    Kind kind_ = Kind::Nothing;
    SameName same_ = nullptr;
    std::wstring name_; // the long file name that a row's name is held against
    NamedFile file_;
};

struct RowMatch {
    std::uint32_t id = 0;
    Match match = Match::No;
};

// Every row the entry names or may name, and the surest of them. Every look over the processes asks this, so
// that what counts as running cannot differ between them.
struct RowsMatched {
    Match best = Match::No;
    std::vector<RowMatch> named; // Yes or Unconfirmed, in the rows' order
};
[[nodiscard]] RowsMatched matchOverRows(const EntryMatch& entry, const std::vector<ProcessRow>& rows,
                                        const ImageOf& imageOf);

// Whether `listed`, a name in the 8.3 form ("CVDIRS~1.EXE", "CV1A2B~1.EXE", "CVDI~K3Q.EXE"), may be the short
// name of `longName`.
[[nodiscard]] bool mayBeShortNameOf(std::wstring_view listed, std::wstring_view longName, SameName same);

// The part of a path after its last backslash.
[[nodiscard]] std::wstring_view fileNameOf(std::wstring_view path);

// The root of a drive letter's path (C:\ of C:\x) or of a share's (\\server\share\ of \\server\share\x); empty for
// any other path.
[[nodiscard]] std::wstring_view pathRoot(std::wstring_view path);

// Whether `path` names something inside `folder`, at any depth.
[[nodiscard]] bool liesUnder(std::wstring_view path, std::wstring_view folder, SameName same);

struct ClientFolder {
    std::wstring path;               // its long form
    std::wstring shortPath;          // its 8.3 form; empty where it has none
    std::wstring devicePath;         // on its device, drive letters and links resolved; empty where unknown
    std::optional<FileKey> excluded; // the kill tool's file, which is none of the client's programs
};

// The programs of the client that the list lacks: every row that no listed entry names (Yes or Unconfirmed) and
// that one of the client's program files names, each program once, in the order of `programFiles`. After them,
// by their images' paths, the rows whose images lie in the client's folder that no program file names: a
// program deeper than the walk went, or whose file was deleted or renamed while it runs. Where an image lies
// is asked of every such row, what it is only of those in the folder. `pathUnread`: the
// row's name is that of a program file in the client's folder, but its image could not be told.
struct UnlistedProgram {
    std::wstring path;
    bool pathUnread = false;
};
[[nodiscard]] std::vector<UnlistedProgram> unlistedPrograms(const std::vector<ProcessRow>& rows, const ImageOf& imageOf,
                                                            const ImagePlaceOf& placeOf,
                                                            const std::vector<EntryMatch>& listed,
                                                            const std::vector<EntryMatch>& programFiles,
                                                            const ClientFolder& folder, SameName same);

} // namespace quellary
