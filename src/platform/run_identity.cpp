#include "platform/run_identity.h"

#include "platform/handles.h"

namespace quellary {

namespace {

UniqueHandle ownToken(DWORD access) {
    HANDLE token = nullptr;
    return UniqueHandle(::OpenProcessToken(::GetCurrentProcess(), access, &token) ? token : nullptr);
}

// What GetTokenInformation gives of one class, in a buffer aligned for its structure.
std::vector<BYTE> tokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS what) {
    DWORD size = 0;
    ::GetTokenInformation(token, what, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !::GetTokenInformation(token, what, buffer.data(), size, &size)) {
        return {};
    }
    return buffer;
}

bool holdsPrivilege(HANDLE token, const wchar_t* name) {
    LUID luid{};
    std::vector<BYTE> buffer = tokenInformation(token, TokenPrivileges);
    if (buffer.empty() || !::LookupPrivilegeValueW(nullptr, name, &luid)) {
        return false;
    }
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID held = privileges->Privileges[i].Luid;
        if (held.LowPart == luid.LowPart && held.HighPart == luid.HighPart) {
            return true;
        }
    }
    return false;
}

} // namespace

std::vector<BYTE> tokenUser() {
    const UniqueHandle token = ownToken(TOKEN_QUERY);
    return token ? tokenInformation(token.get(), TokenUser) : std::vector<BYTE>();
}

PSID sidOf(std::vector<BYTE>& user) {
    return user.empty() ? nullptr : reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
}

RunIdentity ownIdentity() {
    static const RunIdentity identity = [] {
        RunIdentity self;
        DWORD session = 0;
        if (::ProcessIdToSessionId(::GetCurrentProcessId(), &session)) {
            self.session = session;
        }
        std::vector<BYTE> user = tokenUser();
        const PSID sid = sidOf(user);
        self.localSystem = sid != nullptr && ::IsWellKnownSid(sid, WinLocalSystemSid);
        if (const UniqueHandle token = ownToken(TOKEN_QUERY)) {
            self.debugPrivilege = holdsPrivilege(token.get(), L"SeDebugPrivilege");
        }
        return self;
    }();
    return identity;
}

DebugPrivilege::DebugPrivilege() noexcept : token_(ownToken(TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY)) {
    TOKEN_PRIVILEGES on{1, {{{}, SE_PRIVILEGE_ENABLED}}};
    DWORD size = 0;
    if (!token_ || !::LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &on.Privileges[0].Luid) ||
        !::AdjustTokenPrivileges(token_.get(), FALSE, &on, sizeof previous_, &previous_, &size)) {
        previous_.PrivilegeCount = 0;
    }
}

DebugPrivilege::~DebugPrivilege() {
    if (token_ && previous_.PrivilegeCount > 0) {
        ::AdjustTokenPrivileges(token_.get(), FALSE, &previous_, 0, nullptr, nullptr);
    }
}

} // namespace quellary
