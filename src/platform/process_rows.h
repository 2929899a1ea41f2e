// A process as the system lists it, and what its image is: plain data, free of Windows.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quellary {

// One process as the system lists it.
struct ProcessRow {
    std::uint32_t id = 0;
    std::uint32_t parentId = 0;
    std::uint32_t session = 0;
    std::uint64_t created = 0; // as a FILETIME value (100 ns units since 1601); 0 = unknown
    std::wstring name;         // the image's file name as the list gives it: the long name, or on Windows the
                               // 8.3 name of a process started through its short path
};

// Which file a path names, whichever path reaches it (a mapped drive letter, a folder link, an 8.3 form): the
// volume and the file's index on it, and the final path for a volume that has no file indexes.
struct FileKey {
    std::uint64_t volume = 0;
    std::uint64_t index = 0; // 0: the volume gives none
    std::wstring finalPath;  // empty where it could not be read
};

// What one process's image is, as far as it can be learnt.
struct ImageLookup {
    enum class State {
        Read,   // its path is known
        Denied, // the process may not be asked (an access list, another user's process without privilege)
        Gone,   // it ended since the list was taken
    };
    State state = State::Denied;
    std::wstring path;           // Read: the path it was started by, in its long form
    std::optional<FileKey> file; // Read: nothing where the image file cannot be opened
};

using ImageOf = std::function<ImageLookup(const ProcessRow&)>;

} // namespace quellary
