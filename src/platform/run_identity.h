// Who this process runs as: its session, its account, and the privileges its token holds.
#pragma once

#include "platform/sessions.h"

#include <windows.h>

#include <vector>

namespace quellary {

// Read once; the debug privilege counts as held whether or not it is switched on.
[[nodiscard]] RunIdentity ownIdentity();

// The token's user, a TOKEN_USER in its buffer; empty where the token cannot be read.
[[nodiscard]] std::vector<BYTE> tokenUser();
[[nodiscard]] PSID sidOf(std::vector<BYTE>& user);

// An administrator's elevated token holds the debug privilege, switched off: switched on, it opens other users'
// processes. False where the token lacks it, which is the rule for everyone else.
bool enableDebugPrivilege();

} // namespace quellary
