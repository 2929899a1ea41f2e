// Which running processes a task list entry names, decided on plain data: the system's list of processes (one
// row each, read without opening any process) and, only where a row's name alone cannot decide, what its image
// is. Free of Windows, so that reach, access and matching are tested as tables.
#pragma once

#include "platform/process_rows.h"

#include <string>
#include <string_view>
#include <vector>

namespace quellary {

// Names compare as the file system compares them; on Windows that needs the system's case table.
using SameName = bool (*)(std::wstring_view, std::wstring_view);

// Unconfirmed: a process that may be the one named but that may not be asked; it counts as running, never as
// "not running". In order of weight: what one row shows outweighs what another leaves open.
enum class Match { No, Unconfirmed, Yes };

// A file that a full path names.
struct NamedFile {
    std::wstring path;           // its long form
    std::wstring shortName;      // its 8.3 file name, where it has one besides its long name
    std::optional<FileKey> file; // nothing where the file cannot be opened (it no longer exists)
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
    [[nodiscard]] bool sameImage(const ImageLookup& image) const;

    Kind kind_ = Kind::Nothing;
    SameName same_ = nullptr;
    std::wstring name_; // the long file name that a row's name is held against
    NamedFile file_;
};

// Whether `listed`, a name in the 8.3 form ("CVDIRS~1.EXE"), may be the short name of `longName`.
[[nodiscard]] bool mayBeShortNameOf(std::wstring_view listed, std::wstring_view longName, SameName same);

// The part of a path after its last backslash.
[[nodiscard]] std::wstring_view fileNameOf(std::wstring_view path);

// The programs of the client that the list lacks: every row that no listed entry names (Yes or Unconfirmed) and
// that one of the client's program files names. `pathUnread`: the row's name is that of a program file in the
// client's folder, but its image could not be learnt. Each program once, in the order of `programFiles`.
struct UnlistedProgram {
    std::wstring path; // the program file in the client's folder
    bool pathUnread = false;
};
[[nodiscard]] std::vector<UnlistedProgram> unlistedPrograms(const std::vector<ProcessRow>& rows, const ImageOf& imageOf,
                                                            const std::vector<EntryMatch>& listed,
                                                            const std::vector<EntryMatch>& programFiles);

} // namespace quellary
