// Who may change a file or folder, as its owner and access list say: plain data in, a verdict out. A program
// with administrator rights must not take what it runs or acts on from a place that others may change.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quellary {

// The accounts that may change what an administrator's run uses, and everybody else.
enum class Party { System, Administrators, TrustedInstaller, RunUser, Other };

// One allowing entry of an access list that applies to the object itself.
struct Grant {
    Party party = Party::Other;
    std::string name;         // the account as the system names it ("Everyone", "BUILTIN\Users"), for the message;
                              // empty for the trusted parties
    std::uint32_t rights = 0; // the entry's access mask
};

struct Protection {
    Party owner = Party::Other;
    std::string ownerName;
    bool noAccessList = false; // a missing access list lets everybody do everything
    std::vector<Grant> grants;
};

// Access mask bits, as the system defines them for files and folders.
namespace rights {
inline constexpr std::uint32_t writeData = 0x2;  // a folder: add a file
inline constexpr std::uint32_t appendData = 0x4; // a folder: add a folder
inline constexpr std::uint32_t writeExtended = 0x10;
inline constexpr std::uint32_t deleteChild = 0x40; // a folder: delete what it holds
inline constexpr std::uint32_t writeAttributes = 0x100;
inline constexpr std::uint32_t deleteObject = 0x10000;
inline constexpr std::uint32_t writeAccessList = 0x40000;
inline constexpr std::uint32_t writeOwner = 0x80000;
inline constexpr std::uint32_t genericAll = 0x10000000;
inline constexpr std::uint32_t genericWrite = 0x40000000;
} // namespace rights

// What accounts other than SYSTEM, Administrators, TrustedInstaller and the run's own user may do to change the
// object, one line per account ("Everyone may write it and delete it"); empty when nobody else may change it.
// Denying entries are not weighed: they make a refusal stricter at most.
[[nodiscard]] std::vector<std::string> othersMayChange(const Protection& protection);

// The same for a folder above the object: only what lets an account take the object away or put another in its place
// (delete or rename the folder or what it holds, change its access list, take it over). Adding files or folders
// beside the object changes nothing of it.
[[nodiscard]] std::vector<std::string> othersMayReplaceWhatItHolds(const Protection& folder);

// A final path as the system gives it ("\\?\C:\A", "\\?\UNC\server\share\A") in the form people read
// ("C:\A", "\\server\share\A").
[[nodiscard]] std::string readablePath(std::string_view finalPath);

// The folders above a path, nearest first, up to and including its volume's root ("C:\", "\\server\share\");
// nothing above a root.
[[nodiscard]] std::vector<std::string> foldersAbove(std::string_view path);

} // namespace quellary
