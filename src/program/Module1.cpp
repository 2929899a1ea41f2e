#include "program/Module1.h"

#include "platform/ui.h"
#include "program/run_record.h"

namespace quellary {

void ShortPause() {
    doEvents();
    ::Sleep(shortPauseMilliseconds);
    doEvents();
}

void stampRunRecord(RunRecord& record) {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    record.startedAt = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

} // namespace quellary
