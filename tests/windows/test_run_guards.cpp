// What keeps a run sound, against the real system: the machine's run mutex and the command prompt policy.
#include "termination/prompt_policy.h"
#include "termination/run_mutex.h"

#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <utility>

using namespace quellary;

TEST(RunMutex, AMutexThatRefusesEveryRightIsWaitedOnAndReleasedAndOneThatRefusesEvenThatIsAFailure) {
    const std::string name = "Global\\QuellaryTestRun" + std::to_string(::GetCurrentProcessId());
    // Made first by another user's run. Wine gives the owner every right that no entry refuses: refusing WRITE_DAC
    // makes asking for every right fail here, as it does on Windows.
    for (const auto& [access, opens] : {std::pair{"D:(D;;0x40000;;;WD)(A;;0x100001;;;WD)", true}, {"D:", false}}) {
        SCOPED_TRACE(access);
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(access, SDDL_REVISION_1, &descriptor, {}));
        const UniqueLocalMemory owned(descriptor);
        SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
        const UniqueHandle other(::CreateMutexA(&security, FALSE, name.c_str()));
        ASSERT_TRUE(other);
        ASSERT_EQ(::CreateMutexA(nullptr, FALSE, name.c_str()), nullptr) << "every right is refused";
        const RunMutex run = openRunMutex(name);
        ASSERT_EQ(run.handle != nullptr, opens) << run.failure;
        if (opens) {
            EXPECT_EQ(::WaitForSingleObject(run.handle.get(), 0), WAIT_OBJECT_0);
            EXPECT_TRUE(::ReleaseMutex(run.handle.get()));
        } else {
            EXPECT_NE(run.failure.find(name), std::string::npos) << run.failure;
        }
    }
}

TEST(CommandPromptPolicy, IsReadForTheUserAndForTheMachine) {
    // Keys of the test's own stand in for the user's and the machine's, so that the real policy is never touched.
    const std::string own = "Software\\QuellaryTests\\policy-" + std::to_string(::GetCurrentProcessId());
    HKEY user = nullptr;
    HKEY machine = nullptr;
    ASSERT_EQ(::RegCreateKeyA(HKEY_CURRENT_USER, (own + "\\user").c_str(), &user), 0);
    ASSERT_EQ(::RegCreateKeyA(HKEY_CURRENT_USER, (own + "\\machine").c_str(), &machine), 0);
    ASSERT_EQ(::RegOverridePredefKey(HKEY_CURRENT_USER, user), 0);
    ASSERT_EQ(::RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine), 0);
    const auto setAndRead = [](HKEY root, DWORD value) {
        ::RegSetKeyValueA(root, "Software\\Policies\\Microsoft\\Windows\\System", "DisableCMD", REG_DWORD, &value,
                          sizeof value);
        return promptDisabled();
    };
    EXPECT_FALSE(promptDisabled());
    EXPECT_TRUE(setAndRead(machine, 2)) << "the machine's";
    EXPECT_FALSE(setAndRead(machine, 0));
    EXPECT_TRUE(setAndRead(user, 1)) << "the user's";
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    ::RegCloseKey(user);
    ::RegCloseKey(machine);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, own.c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuellaryTests"); // only when no other run still uses it
}
