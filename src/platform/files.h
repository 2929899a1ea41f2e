// Files as the program needs them: an existence test, whole-file reads and writes, copy and version.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quellary {

// True for an ordinary file only: a directory, a hidden or a system file counts as absent.
[[nodiscard]] bool fileExists(const std::string& path);

struct FileError {
    DWORD code = 0;
    std::string description;  // the system's text for `code`
    bool whileOpening = true; // false: the file was open and reading it failed
};

// The file's bytes, read while others may still write to it or delete it, or the reason they could not
// be read.
[[nodiscard]] std::optional<std::string> readWholeFile(const std::string& path, FileError* error = nullptr);

// The bytes from the file's position to its end, read through a handle opened for reading.
[[nodiscard]] std::optional<std::string> readToEnd(HANDLE file, FileError* error = nullptr);

// A text file written by any editor, as text of the active code page (UTF-8 under the manifest): UTF-16 by its
// byte-order mark, UTF-8 (a byte-order mark dropped), else the system's legacy ANSI code page, in which older
// editors save. A file that is no text keeps its NUL bytes, by which a caller tells it.
[[nodiscard]] std::optional<std::string> readTextFile(const std::string& path, FileError* error = nullptr);

// Creates a file that must not exist yet and writes `bytes`; false with the reason on failure, and then
// no file is left behind.
[[nodiscard]] bool writeNewFile(const std::string& path, std::string_view bytes, FileError* error = nullptr);

// `replace`: over an ordinary file already there; otherwise only where no file of that name is.
[[nodiscard]] bool copyFileTo(const std::string& from, const std::string& to, bool replace, FileError* error = nullptr);
// True when both files can be read and hold the same bytes.
[[nodiscard]] bool sameFileContents(const std::string& a, const std::string& b);

// Replaces the file's content with `next(old content)` ("" for a file not there yet), making its folder when it
// is missing (the folder's parent must exist). The file is replaced in one step, so that a crash leaves the old
// or the new content, never a part of one, and two programs updating it at once take turns, so that neither
// update is lost. Where a reader holds the file so that it cannot be replaced, the new content is written into it
// (only the added tail when it merely grows). False on any failure, never an exception.
[[nodiscard]] bool updateFileInOneStep(const std::string& path,
                                       const std::function<std::string(std::string_view)>& next) noexcept;

// The system's description of an error code, without the trailing line break.
std::string systemErrorText(DWORD code);

} // namespace quellary
