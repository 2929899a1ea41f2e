#include "platform/security.h"

#include "platform/file_identity.h"
#include "platform/handles.h"
#include "platform/run_identity.h"
#include "platform/wide_text.h"

#include <aclapi.h>
#include <sddl.h>

#include <array>

namespace quellary {

namespace {

// The well-known accounts a file's entries are compared with, made once.
struct KnownSids {
    std::array<BYTE, SECURITY_MAX_SID_SIZE> system{};
    std::array<BYTE, SECURITY_MAX_SID_SIZE> administrators{};
    std::array<BYTE, SECURITY_MAX_SID_SIZE> ownerRights{};
    UniqueLocalMemory trustedInstaller;

    KnownSids() {
        DWORD size = SECURITY_MAX_SID_SIZE;
        ::CreateWellKnownSid(WinLocalSystemSid, nullptr, system.data(), &size);
        size = SECURITY_MAX_SID_SIZE;
        ::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators.data(), &size);
        size = SECURITY_MAX_SID_SIZE;
        ::CreateWellKnownSid(WinCreatorOwnerRightsSid, nullptr, ownerRights.data(), &size);
        PSID installer = nullptr;
        // The installer service's account, which has no well-known constant of its own.
        if (::ConvertStringSidToSidA("S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", &installer)) {
            trustedInstaller.reset(installer);
        }
    }
};

const KnownSids& knownSids() {
    static const KnownSids sids;
    return sids;
}

bool same(PSID a, const void* b) {
    return b != nullptr && ::IsValidSid(const_cast<void*>(b)) && ::EqualSid(a, const_cast<void*>(b));
}

Party partyOf(PSID sid, PSID runUser) {
    const KnownSids& known = knownSids();
    if (same(sid, known.system.data())) {
        return Party::System;
    }
    if (same(sid, known.administrators.data())) {
        return Party::Administrators;
    }
    if (same(sid, known.trustedInstaller.get())) {
        return Party::TrustedInstaller;
    }
    return runUser != nullptr && same(sid, runUser) ? Party::RunUser : Party::Other;
}

// "DOMAIN\name" as the system names the account, or the SID's text where it has no name.
std::string accountName(PSID sid) {
    char name[256];
    char domain[256];
    DWORD nameSize = sizeof name;
    DWORD domainSize = sizeof domain;
    SID_NAME_USE use{};
    if (::LookupAccountSidA(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) {
        return domain[0] == '\0' ? std::string(name) : std::string(domain) + "\\" + name;
    }
    char* text = nullptr;
    if (!::ConvertSidToStringSidA(sid, &text)) {
        return "an unknown account";
    }
    const UniqueLocalMemory owned(text);
    return text;
}

} // namespace

bool hasAdministratorRights() {
    if (ownIdentity().localSystem) {
        return true;
    }
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    const UniqueHandle owned(token);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

std::optional<Protection> protectionOf(const std::string& path, FileError* error, std::string* finalPath) {
    // One handle for both reads, so that the access list and the final path are those of one object.
    const UniqueFile object(::CreateFileA(path.c_str(), READ_CONTROL,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    PSID owner = nullptr;
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD code = !object ? ::GetLastError()
                               : ::GetSecurityInfo(object.get(), SE_FILE_OBJECT,
                                                   OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                                                   nullptr, &list, nullptr, &descriptor);
    if (code != ERROR_SUCCESS) {
        if (error != nullptr) {
            *error = {code, systemErrorText(code)};
        }
        return std::nullopt;
    }
    if (finalPath != nullptr) {
        *finalPath = readablePath(narrowText(finalPathOf(object.get(), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS)));
    }
    const UniqueLocalMemory owned(descriptor);
    // The token's user does not change while the program runs.
    static std::vector<BYTE> user = tokenUser();
    const PSID runUser = sidOf(user);
    Protection protection;
    // Only the accounts that a message may have to name are looked up: a lookup may ask a domain controller.
    protection.owner = partyOf(owner, runUser);
    protection.ownerName = protection.owner == Party::Other ? accountName(owner) : std::string();
    protection.noAccessList = list == nullptr;
    for (DWORD i = 0; list != nullptr && i < list->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        // Allowing entries, plain or conditional, share one layout; an entry only for what the folder holds
        // grants nothing on the folder itself.
        if (!::GetAce(list, i, reinterpret_cast<void**>(&header)) || (header->AceFlags & INHERIT_ONLY_ACE) != 0 ||
            (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_ALLOWED_CALLBACK_ACE_TYPE)) {
            continue;
        }
        const auto* entry = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
        const PSID sid = const_cast<DWORD*>(&entry->SidStart);
        // "OWNER RIGHTS" grants what it says to whoever owns the object.
        const bool ownerRights = same(sid, knownSids().ownerRights.data());
        const Party party = ownerRights ? protection.owner : partyOf(sid, runUser);
        const std::string name = ownerRights ? protection.ownerName : party == Party::Other ? accountName(sid) : "";
        protection.grants.push_back({party, name, entry->Mask});
    }
    return protection;
}

OwnAccess::OwnAccess() : user_(tokenUser()) {
    const PSID user = sidOf(user_);
    const KnownSids& known = knownSids();
    const std::array<const void*, 3> sids{user, known.system.data(), known.administrators.data()};
    DWORD size = sizeof(ACL);
    for (const void* sid : sids) {
        if (sid == nullptr) {
            return;
        }
        size += sizeof(ACCESS_ALLOWED_ACE) + ::GetLengthSid(const_cast<void*>(sid));
    }
    list_.resize(size);
    const auto list = reinterpret_cast<PACL>(list_.data());
    if (!::InitializeAcl(list, size, ACL_REVISION)) {
        return;
    }
    for (const void* sid : sids) {
        if (!::AddAccessAllowedAce(list, ACL_REVISION, FILE_ALL_ACCESS, const_cast<void*>(sid))) {
            return;
        }
    }
    made_ = ::InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
            ::SetSecurityDescriptorDacl(&descriptor_, TRUE, list, FALSE) &&
            ::SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    attributes_ = {sizeof attributes_, &descriptor_, FALSE};
}

} // namespace quellary
