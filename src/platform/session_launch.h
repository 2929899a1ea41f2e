// Programs started in another user's session, as that user, on the desktop the user sees. Only LocalSystem may:
// the user's token is given to no one else.
#pragma once

#include "platform/handles.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace quellary {

// The session's WTS_CONNECTSTATE_CLASS; nothing where it cannot be read.
[[nodiscard]] std::optional<int> sessionConnectState(std::uint32_t session);

struct SessionProgram {
    UniqueHandle process;
    UniqueHandle output; // the read end of its standard output
    DWORD error = ERROR_SUCCESS;
    bool noUser = false; // the session has no logged-on user whose token could be taken
};

// Starts `application` with `arguments` in the session as its user, on winsta0\default, without a window, its
// standard output a pipe to the caller. It inherits no other handle.
[[nodiscard]] SessionProgram startInUserSession(std::uint32_t session, const std::wstring& application,
                                                const std::wstring& arguments);

} // namespace quellary
