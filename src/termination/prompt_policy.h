// The "Prevent access to the command prompt" policy as the registry holds it.
#pragma once

namespace quellary {

// True when the policy is set for this user or for the machine, so that the kill tool must be started directly
// rather than through cmd. False where the policy cannot be read.
[[nodiscard]] bool promptDisabled();

} // namespace quellary
