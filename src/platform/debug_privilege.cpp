#include "platform/debug_privilege.h"

namespace quellary {

DebugPrivilege::DebugPrivilege() noexcept {
    HANDLE token = nullptr;
    TOKEN_PRIVILEGES on{1, {{{}, SE_PRIVILEGE_ENABLED}}};
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        return;
    }
    token_.reset(token);
    DWORD size = 0;
    if (!::LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &on.Privileges[0].Luid) ||
        !::AdjustTokenPrivileges(token, FALSE, &on, sizeof previous_, &previous_, &size)) {
        previous_.PrivilegeCount = 0;
    }
}

DebugPrivilege::~DebugPrivilege() {
    if (token_ && previous_.PrivilegeCount > 0) {
        ::AdjustTokenPrivileges(token_.get(), FALSE, &previous_, 0, nullptr, nullptr);
    }
}

} // namespace quellary
