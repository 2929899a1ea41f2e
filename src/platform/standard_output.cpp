#include "platform/standard_output.h"

#include "platform/code_page.h"

#include <windows.h>

#include <string>

namespace quellary {

void writeToStandardOutput(std::string_view text) noexcept try {
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) {
        return;
    }
    // A window program started from a console may be handed that console's handle, which nobody reads back.
    const DWORD type = ::GetFileType(out);
    if (type != FILE_TYPE_DISK && type != FILE_TYPE_PIPE) {
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
