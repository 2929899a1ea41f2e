// The matchers of task list entries and of the client's program files, made from what the file system says of
// the files they name.
#pragma once

#include "termination/process_match.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quellary {

// What one task list entry names, as the run and the kill tool both read it. Made once per entry: a full path's
// file is looked up once, not for every process.
[[nodiscard]] EntryMatch entryMatch(std::wstring_view entry);

// The client's folder as the unlisted look weighs images against it; `excluded` is the kill tool's file.
[[nodiscard]] ClientFolder clientFolder(const std::wstring& folder, const std::optional<FileKey>& excluded);

// The program files in the folder or in one below it that a process of the view may have been started from (by
// their long or 8.3 names), the excluded file left out. Links inside the folder are not followed, and a folder
// of more than a few thousand files is looked through only that far.
[[nodiscard]] std::vector<EntryMatch> programFilesIn(const ClientFolder& folder, const std::vector<ProcessRow>& rows);

} // namespace quellary
