// A process as the system lists it, and what its image is: plain data, free of Windows.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quellary {

struct ProcessRow {
    std::uint32_t id = 0;
    std::uint32_t parentId = 0;
    std::uint32_t session = 0;
    std::uint64_t created = 0; // as a FILETIME value (100 ns units since 1601); 0 = unknown
    std::wstring name;         // the image's file name as the list gives it: the long name, or on Windows the
                               // 8.3 name of a process started through its short path
};

// A file's identity on its volume: 128 bits where the file system gives them (ReFS reuses 64-bit indexes),
// else the 64-bit index in `low`. All zero where the volume gives none.
struct FileId {
    std::uint64_t volume = 0;
    std::uint64_t low = 0;
    std::uint64_t high = 0;

    [[nodiscard]] bool known() const { return low != 0 || high != 0; }
    friend bool operator==(const FileId&, const FileId&) = default;
};

// Which file a path names, whichever path reaches it (a mapped drive letter, a folder link, an 8.3 form); the
// final path serves a volume that gives no identity.
struct FileKey {
    FileId id;
    std::wstring finalPath; // empty where it could not be read
};

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

// Where a process's image lies, as cheaply as the system tells it: enough to place the image, not to identify it.
struct ImagePlace {
    ImageLookup::State state = ImageLookup::State::Denied;
    std::wstring path;       // Read: as it was started, in its long or its 8.3 form
    std::wstring devicePath; // its file on its device, drive letters and links resolved; empty where unknown
};

using ImagePlaceOf = std::function<ImagePlace(const ProcessRow&)>;

} // namespace quellary
