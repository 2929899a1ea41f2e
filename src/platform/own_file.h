// A file that the program made itself and holds on to, and deleting a file without following a link to it.
#pragma once

#include "platform/files.h"
#include "platform/handles.h"

#include <windows.h>

#include <optional>
#include <string>

namespace quellary {

class OwnFile {
public:
    // Deletes whatever file is at `path` and makes a new, empty one there, which only the process's own user,
    // SYSTEM and Administrators may open. Nothing, with the reason, where that cannot be done: where the name is a
    // folder, or a file with one of the `refusedAttributes`, or a file with more than one name (a hard link, which
    // others may have made to reach through it), or a file reached through a link on the way, or a file that cannot
    // be deleted. A link at the name is deleted itself; what it leads to is never touched.
    [[nodiscard]] static std::optional<OwnFile> makeAnew(const std::string& path, DWORD refusedAttributes,
                                                         FileError* error = nullptr);

    [[nodiscard]] const std::string& path() const { return path_; }

    // The file opened once more through the one held, never by its name, which could have come to name another
    // file meanwhile: where the system cannot open the held file itself, another file is refused. Holding the file
    // asks for no access to its content, so it keeps no other program out.
    [[nodiscard]] UniqueFile open(DWORD access, FileError* error = nullptr) const;

private:
    OwnFile(std::string path, UniqueFile held) : path_(std::move(path)), held_(std::move(held)) {}

    std::string path_;
    UniqueFile held_;
};

// Deletes the file at `path`, hidden, system or read-only alike, through one handle: opened without following a
// link, and deleted only where its final path is the one that `path` names, in the folder it names. False on any
// failure.
[[nodiscard]] bool deleteFileInItsFolder(const std::string& path);

} // namespace quellary
