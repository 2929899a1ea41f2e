// Who this process runs as: its session, its account, and the privileges its token holds.
#pragma once

#include "platform/handles.h"
#include "platform/sessions.h"

#include <windows.h>

#include <vector>

namespace quellary {

// Read once; the debug privilege counts as held whether or not it is switched on.
[[nodiscard]] RunIdentity ownIdentity();

// The token's user, a TOKEN_USER in its buffer; empty where the token cannot be read.
[[nodiscard]] std::vector<BYTE> tokenUser();
[[nodiscard]] PSID sidOf(std::vector<BYTE>& user);

// The debug privilege, on only while it is needed. An administrator's elevated token holds it switched off;
// switched on, it opens other users' processes, and every program started meanwhile would inherit it so. Switched
// on for the owner's lifetime where the token holds it, and back to how it was at the end, so that owners may nest.
class DebugPrivilege {
public:
    DebugPrivilege() noexcept;
    ~DebugPrivilege();
    DebugPrivilege(const DebugPrivilege&) = delete;
    DebugPrivilege& operator=(const DebugPrivilege&) = delete;

private:
    UniqueHandle token_;
    TOKEN_PRIVILEGES previous_{}; // what was changed, to be put back: nothing where it was on already or is not held
};

} // namespace quellary
