// The debug privilege, switched on only while it is needed. An administrator's elevated token holds it switched
// off; switched on, it opens other users' processes, and every program this one starts would inherit it so.
#pragma once

#include "platform/handles.h"

#include <windows.h>

namespace quellary {

// Switches the privilege on for its lifetime, where the token holds it, and back to how it was at the end, so
// that scopes may nest. Nothing is started while one lives.
class DebugPrivilege {
public:
    DebugPrivilege() noexcept;
    ~DebugPrivilege();
    DebugPrivilege(const DebugPrivilege&) = delete;
    DebugPrivilege& operator=(const DebugPrivilege&) = delete;

private:
    UniqueHandle token_;
    TOKEN_PRIVILEGES previous_{}; // what was changed, to be put back: none where it was on already or is not held
};

} // namespace quellary
