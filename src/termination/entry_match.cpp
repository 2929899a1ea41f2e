#include "termination/entry_match.h"

#include "termination/task_entry.h"

namespace quellary {

EntryMatch::EntryMatch(std::wstring_view entry) {
    const int length = static_cast<int>(entry.size());
    std::string utf8(
        static_cast<std::size_t>(::WideCharToMultiByte(CP_UTF8, 0, entry.data(), length, nullptr, 0, nullptr, nullptr)),
        '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, entry.data(), length, utf8.data(), static_cast<int>(utf8.size()), nullptr,
                          nullptr);
    switch (classifyEntry(utf8).kind) {
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
