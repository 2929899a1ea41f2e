// Where the kill tool's result goes, against the real file system.
#include "termination/termination_run.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace quellary;

TEST(ResultFile, TheFirstPlaceThatCanBeWrittenWins) {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string writable = std::string(temp) + "quellary-result-" + std::to_string(::GetCurrentProcessId());
    const std::string unwritable =
        std::string(temp) + "no-such-folder-" + std::to_string(::GetCurrentProcessId()) + "\\killed.lst";

    EXPECT_EQ(chooseResultFile({unwritable, writable}), writable);
    EXPECT_EQ(chooseResultFile({writable, unwritable}), writable);
    ::DeleteFileA(writable.c_str());
}

TEST(ResultFile, ALockedFileIsPassedOver) {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string locked = std::string(temp) + "quellary-locked-" + std::to_string(::GetCurrentProcessId());
    const std::string other = locked + "-other";
    const HANDLE holder =
        ::CreateFileA(locked.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(chooseResultFile({locked, other}), other);
    ::CloseHandle(holder);
    ::DeleteFileA(locked.c_str());
    ::DeleteFileA(other.c_str());
}

TEST(ResultFile, CandidatesAreTheRootOfCThenTheTemporaryFolder) {
    const std::vector<std::string> candidates = resultFileCandidates();
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_EQ(candidates[0], "C:\\killed.lst");
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    EXPECT_EQ(candidates[1], std::string(temp) + "killed.lst");
}
