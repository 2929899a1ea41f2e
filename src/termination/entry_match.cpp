#include "termination/entry_match.h"

#include "termination/task_entry.h"

namespace quellary {

EntryMatch::EntryMatch(std::wstring_view entry) {
    switch (classifyEntry(narrowText(entry, CP_UTF8)).kind) {
    case EntryKind::FullPath:
        byPath_ = true;
        entry_ = longPath(std::wstring(entry));
        break;
    case EntryKind::ImageName:
        entry_ = entry;
        break;
    case EntryKind::Unusable:
        break;
    }
}

bool EntryMatch::operator()(const RunningProcess& process) const {
    const std::wstring& own = byPath_ ? process.image : process.name;
    return !entry_.empty() && !own.empty() && sameFileName(own, entry_);
}

} // namespace quellary
