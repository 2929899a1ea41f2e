// The process's rights, and files' owners and access lists as the program weighs and makes them.
#pragma once

#include "platform/files.h"
#include "platform/protection.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace quellary {

// True when the process runs with an administrator's rights: an elevated token, or SYSTEM's.
[[nodiscard]] bool hasAdministratorRights();

// The owner and access list of a file or folder, each account sorted into its party, and its final path in
// `finalPath` (empty where the system cannot tell it); nothing when they cannot be read, with the reason in `error`.
[[nodiscard]] std::optional<Protection> protectionOf(const std::string& path, FileError* error = nullptr,
                                                     std::string* finalPath = nullptr);

// Security attributes for a new file that give the process's own user, SYSTEM and Administrators full access and
// nobody else any, taking nothing from the folder's inheritable entries.
class OwnAccess {
public:
    OwnAccess();
    OwnAccess(const OwnAccess&) = delete;
    OwnAccess& operator=(const OwnAccess&) = delete;

    // Nothing when the access list could not be made.
    [[nodiscard]] SECURITY_ATTRIBUTES* attributes() { return made_ ? &attributes_ : nullptr; }

private:
    std::vector<BYTE> user_;
    std::vector<BYTE> list_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    bool made_ = false;
};

} // namespace quellary
