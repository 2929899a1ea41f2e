#include "platform/protection.h"

#include <gtest/gtest.h>

using namespace quellary;

TEST(Protection, OnlySystemAdministratorsTheInstallerAndTheRunsUserMayChangeWhatAnAdministratorsRunUses) {
    constexpr std::uint32_t readExecute = 0x1200a9;
    constexpr std::uint32_t modify = 0x1301bf;
    constexpr std::uint32_t full = 0x1f01ff;
    const Grant trusted[] = {{Party::System, "NT AUTHORITY\\SYSTEM", full},
                             {Party::Administrators, "BUILTIN\\Administrators", full},
                             {Party::TrustedInstaller, "NT SERVICE\\TrustedInstaller", full},
                             {Party::RunUser, "PC\\admin", full}};
    const auto with = [&](std::vector<Grant> others, Party owner = Party::Administrators) {
        Protection p{owner,
                     owner == Party::Other ? "PC\\zoe" : "BUILTIN\\Administrators",
                     false,
                     {std::begin(trusted), std::end(trusted)}};
        p.grants.insert(p.grants.end(), others.begin(), others.end());
        return othersMayChange(p);
    };
    using Lines = std::vector<std::string>;
    EXPECT_EQ(with({}), Lines{});
    EXPECT_EQ(with({{Party::Other, "BUILTIN\\Users", readExecute}, {Party::Other, "Everyone", 0x1200a9}}), Lines{})
        << "the program folder's usual entries";
    EXPECT_EQ(with({{Party::Other, "NT AUTHORITY\\Authenticated Users", modify}}),
              Lines{"NT AUTHORITY\\Authenticated Users may write it and delete it"})
        << "a folder made in the root of C:";
    EXPECT_EQ(with({{Party::Other, "Everyone", 0x1301ff}}),
              Lines{"Everyone may write it, delete it and delete what it holds"})
        << "world-writable under Wine";
    EXPECT_EQ(
        with(
            {{Party::Other, "Everyone", 0x4}, {Party::Other, "PC\\zoe", 0x80000}, {Party::Other, "Everyone", 0x40000}}),
        (Lines{"Everyone may write it and change its access list", "PC\\zoe may take ownership of it"}))
        << "one line per account, in the list's order";
    EXPECT_EQ(
        with({{Party::Other, "PC\\zoe", 0x10000000}}),
        Lines{"PC\\zoe may write it, delete it, delete what it holds, change its access list and take ownership of "
              "it"})
        << "generic rights count as what they stand for";
    EXPECT_EQ(with({{Party::Other, "PC\\zoe", 0x40000000}}), Lines{"PC\\zoe may write it"});
    EXPECT_EQ(with({}, Party::Other), Lines{"its owner is PC\\zoe, who may change its access list"});
    EXPECT_EQ(othersMayChange({Party::System, "NT AUTHORITY\\SYSTEM", true, {}}),
              Lines{"it has no access list, so everybody may change it"});
}

// A folder above what the run uses: only what lets others take it away or put another in its place counts.
TEST(Protection, AFolderAboveCountsOnlyWhereOthersMayReplaceWhatItHolds) {
    using Lines = std::vector<std::string>;
    const auto above = [](Party owner, std::vector<Grant> grants) {
        return othersMayReplaceWhatItHolds({owner, owner == Party::Other ? "PC\\zoe" : "", false, std::move(grants)});
    };
    EXPECT_EQ(above(Party::TrustedInstaller, {{Party::Other, "NT AUTHORITY\\Authenticated Users", 0x4},
                                              {Party::Other, "BUILTIN\\Users", 0x1200a9}}),
              Lines{})
        << "the root of C:, where everybody may add folders";
    EXPECT_EQ(above(Party::Other, {}), Lines{"its owner is PC\\zoe, who may change its access list"})
        << "C:\\Tools, made by a user";
    EXPECT_EQ(above(Party::System, {{Party::Other, "Everyone", 0x1301ff}, {Party::Other, "PC\\zoe", 0x10000000}}),
              (Lines{"Everyone may delete it and delete what it holds",
                     "PC\\zoe may delete it, delete what it holds, change its access list and take ownership of it"}));
}

TEST(Protection, TheFoldersAboveAPathRunUpToItsVolumesRoot) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(foldersAbove(readablePath("\\\\?\\C:\\Tools\\Quellary")), (Lines{"C:\\Tools", "C:\\"}));
    EXPECT_EQ(foldersAbove("C:\\Tools\\Quellary\\endprocx.exe"), (Lines{"C:\\Tools\\Quellary", "C:\\Tools", "C:\\"}));
    EXPECT_EQ(foldersAbove("C:\\Quellary\\"), Lines{"C:\\"});
    EXPECT_EQ(foldersAbove("C:\\"), Lines{});
    EXPECT_EQ(foldersAbove(readablePath("\\\\?\\UNC\\server\\share\\Q\\quellary.ini")),
              (Lines{"\\\\server\\share\\Q", "\\\\server\\share\\"}));
    EXPECT_EQ(foldersAbove("\\\\server\\share"), Lines{});
    EXPECT_EQ(foldersAbove(""), Lines{}) << "a path the system could not tell";
}
