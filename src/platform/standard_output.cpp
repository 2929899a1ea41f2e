#include "platform/standard_output.h"

#include "platform/code_page.h"

#include <windows.h>

#include <string>

namespace quellary {

namespace {

// Judged once, before the program opens anything of its own: a parent may pass its handle's value without the
// handle, and that value could later name a file the program opened itself. A window program started from a console
// may be handed that console's handle, which nobody reads back.
HANDLE recordOutput() noexcept {
    static const HANDLE out = [] {
        const HANDLE given = ::GetStdHandle(STD_OUTPUT_HANDLE);
        if (given == nullptr || given == INVALID_HANDLE_VALUE) {
            return HANDLE{nullptr};
        }
        const DWORD type = ::GetFileType(given);
        return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE ? given : HANDLE{nullptr};
    }();
    return out;
}

} // namespace

void takeStandardOutput() noexcept {
    (void)recordOutput();
}

void writeToStandardOutput(std::string_view text) noexcept try {
    const HANDLE out = recordOutput();
    if (out == nullptr) {
        return;
    }
    const std::string bytes = utf8FromActiveCodePage(text);
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD written = 0;
        const auto size = static_cast<DWORD>(bytes.size() - done);
        if (!::WriteFile(out, bytes.data() + done, size, &written, nullptr) || written == 0) {
            return;
        }
        done += written;
    }
} catch (...) {
    // Out of memory: the caller still has the run log.
}

} // namespace quellary
