#include "termination/prompt_policy.h"

#include "termination/kill_command.h"

#include <windows.h>

#include <optional>

namespace quellary {

namespace {

// The policy's DWORD under one root; a value of another type is no setting that cmd reads.
std::optional<unsigned long> policyValue(HKEY root) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegGetValueA(root, "Software\\Policies\\Microsoft\\Windows\\System", "DisableCMD", RRF_RT_REG_DWORD, nullptr,
                       &value, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

} // namespace

bool promptDisabled() {
    return promptDisabledBy(policyValue(HKEY_CURRENT_USER), policyValue(HKEY_LOCAL_MACHINE));
}

} // namespace quellary
