// Which running processes a task list entry names.
#pragma once

#include "platform/processes.h"

#include <string>
#include <string_view>

namespace quellary {

// What one task list entry names, as the kill tool takes it: an entry that is a full path (its 8.3 form included)
// the processes started from that file, a process whose image cannot be read none; a program's file name the
// processes of that image name; an entry no program can be called nothing. The program's "does it still run?" and
// the tool's "what do I end?" both ask it, so that they cannot disagree. Made once per entry: a full path's long
// form is looked up once, not for every process.
class EntryMatch {
public:
    explicit EntryMatch(std::wstring_view entry);
    [[nodiscard]] bool operator()(const RunningProcess& process) const;

private:
    bool byPath_ = false;
    std::wstring entry_; // a full path in its long form; empty for an entry that names nothing, as no image is
                         // called ""
};

} // namespace quellary
