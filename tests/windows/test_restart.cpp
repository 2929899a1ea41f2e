// The Restart command against the real registry, files and processes: which key's entry is used, what
// happens to the lock file, and which program is started, from where. client_mark.exe stands in for the
// client and leaves a mark when it starts.
#include "client_registry.h"
#include "app_dir.h"
#include "registry/cRegistry.h"
#include "restart/client_restart.h"

#include <gtest/gtest.h>

using namespace quellary;
using namespace client_registry;
using driver::fileExists;
using driver::readFile;
using driver::writeFile;

namespace {

const std::string mainKey = "Software\\Halvane\\Corvana";
const std::string fallbackKey = "Software\\Halvane\\Corvana\\4.0";

class Restart : public testing::Test {
protected:
    SavedHalvane savedRegistry;
    driver::AppDir app;

    // A directory in the test's tree, with a trailing backslash as the registry holds it.
    std::string dir(const std::string& name) const {
        const std::string path = app.file(name);
        ::CreateDirectoryA(path.c_str(), nullptr);
        return path + "\\";
    }
    std::string lockIn(const std::string& directory) const {
        const std::string lock = directory + "~corvana.lck";
        writeFile(lock, "lock");
        return lock;
    }
    // The client stand-in at that exact path.
    static void installClient(const std::string& path) {
        ASSERT_TRUE(::CopyFileA((driver::binDirectory() + "\\client_mark.exe").c_str(), path.c_str(), FALSE)) << path;
    }
    // Its mark: the command line it got and its current directory, or empty when it did not start.
    static std::string markOf(const std::string& clientPath) { return readFile(clientPath + ".started"); }

    // Runs the command and waits for the client it started to have left its mark.
    static RestartOutcome restart() {
        RestartAttempt attempt = restartClient();
        if (attempt.client.process) {
            EXPECT_EQ(::WaitForSingleObject(attempt.client.process.get(), 15000), WAIT_OBJECT_0);
        }
        return attempt.outcome;
    }
};

TEST_F(Restart, TheMainKeyIsUsedWheneverItNamesADataDirectory) {
    const std::string mainData = dir("main-data"), mainProgram = dir("main-program");
    const std::string fallbackData = dir("fallback-data"), fallbackProgram = dir("fallback-program");
    installClient(mainProgram + "client.exe");
    installClient(fallbackProgram + "client.exe");
    const std::string mainLock = lockIn(mainData), fallbackLock = lockIn(fallbackData);
    ASSERT_TRUE(writeEntry(fallbackKey, nativeView, {fallbackData, fallbackProgram, "client.exe"}));

    SCOPED_TRACE("complete main key");
    ASSERT_TRUE(writeEntry(mainKey, nativeView, {mainData, mainProgram, "client.exe"}));
    EXPECT_EQ(restart(), RestartOutcome::Started);
    EXPECT_EQ(markOf(mainProgram + "client.exe"),
              "\"" + mainProgram + "client.exe\"\r\n" + mainProgram.substr(0, mainProgram.size() - 1) + "\r\n")
        << "started as exactly that file, in its own directory";
    EXPECT_FALSE(fileExists(mainLock));
    EXPECT_TRUE(fileExists(fallbackLock));
    EXPECT_EQ(markOf(fallbackProgram + "client.exe"), "");

    SCOPED_TRACE("main key with a data directory but no program");
    for (const Entry& incomplete : {Entry{mainData, {}, "client.exe"}, Entry{mainData, mainProgram, {}}}) {
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, (mainKey + "\\4.0").c_str());
        ASSERT_EQ(::RegDeleteKeyA(HKEY_LOCAL_MACHINE, mainKey.c_str()), ERROR_SUCCESS);
        ASSERT_TRUE(writeEntry(mainKey, nativeView, incomplete));
        ASSERT_TRUE(writeEntry(fallbackKey, nativeView, {fallbackData, fallbackProgram, "client.exe"}));
        lockIn(mainData);
        EXPECT_EQ(restart(), RestartOutcome::StartFailed);
        EXPECT_FALSE(fileExists(mainLock)) << "the lock file goes before the start is tried";
        EXPECT_TRUE(fileExists(fallbackLock));
        EXPECT_EQ(markOf(fallbackProgram + "client.exe"), "") << "the fallback key is not read";
    }
}

TEST_F(Restart, TheFallbackKeyReplacesAllThreeTextsWhereTheMainKeyNamesNoDataDirectory) {
    const std::string mainProgram = dir("main-program");
    const std::string fallbackData = dir("fallback-data"), fallbackProgram = dir("fallback-program");
    installClient(mainProgram + "client.exe");
    installClient(fallbackProgram + "client.exe");
    ASSERT_TRUE(writeEntry(fallbackKey, nativeView, {fallbackData, fallbackProgram, "client.exe"}));
    for (const bool mainKeyExists : {false, true}) {
        SCOPED_TRACE(mainKeyExists ? "main key without DataPath" : "no main key values");
        if (mainKeyExists) {
            ASSERT_TRUE(writeEntry(mainKey, nativeView, {"", mainProgram, "client.exe"}));
        }
        const std::string lock = lockIn(fallbackData);
        EXPECT_EQ(restart(), RestartOutcome::Started);
        EXPECT_FALSE(fileExists(lock));
        EXPECT_NE(markOf(fallbackProgram + "client.exe"), "");
        EXPECT_EQ(markOf(mainProgram + "client.exe"), "");
        ::DeleteFileA((fallbackProgram + "client.exe.started").c_str());
    }
}

TEST_F(Restart, WithoutAnyEntryTheBareLockFileNameIsDeletedFromTheCurrentDirectory) {
    const std::string current = dir("current");
    const std::string lock = lockIn(current);
    char previous[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(current.c_str()));
    const RestartOutcome outcome = restart();
    ::SetCurrentDirectoryA(previous);
    EXPECT_EQ(outcome, RestartOutcome::StartFailed);
    EXPECT_FALSE(fileExists(lock));
}

TEST_F(Restart, APathWithoutItsBackslashIsJoinedToTheNameAsItStands) {
    const std::string data = dir("data"), program = dir("program");
    installClient(program + "client.exe");
    installClient(app.file("programclient.exe"));
    ASSERT_TRUE(writeEntry(mainKey, nativeView, {data, app.file("program"), "client.exe"}));
    EXPECT_EQ(restart(), RestartOutcome::Started);
    EXPECT_NE(markOf(app.file("programclient.exe")), "");
    EXPECT_EQ(markOf(program + "client.exe"), "");
}

TEST_F(Restart, TheLockFileIsDeletedWhateverItsAttributesAndPassedOverWhereItIsMissingOrInUse) {
    const std::string data = dir("data"), program = dir("program");
    installClient(program + "client.exe");
    ASSERT_TRUE(writeEntry(mainKey, nativeView, {data, program, "client.exe"}));

    SCOPED_TRACE("hidden, system and read-only");
    const std::string hidden = lockIn(data);
    ASSERT_TRUE(
        ::SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(restart(), RestartOutcome::Started);
    EXPECT_FALSE(fileExists(hidden));
    ::DeleteFileA((program + "client.exe.started").c_str());

    SCOPED_TRACE("a data folder reached through a folder link, as a moved profile or a mapped drive is");
    const std::string moved = lockIn(dir("moved"));
    ASSERT_TRUE(driver::makeLink(app.file("linked"), app.file("moved"), true));
    ASSERT_TRUE(writeEntry(mainKey, nativeView, {app.file("linked") + "\\", program, "client.exe"}));
    EXPECT_EQ(restart(), RestartOutcome::Started);
    EXPECT_FALSE(fileExists(moved));
    ::DeleteFileA((program + "client.exe.started").c_str());

    SCOPED_TRACE("a data folder named in its 8.3 form");
    const std::string longData = dir("data folder with a long name");
    const std::string shortLock = lockIn(longData);
    char shortForm[MAX_PATH];
    const DWORD shortLength = ::GetShortPathNameA(longData.c_str(), shortForm, MAX_PATH);
    ASSERT_TRUE(shortLength > 0 && shortLength < MAX_PATH && std::string(shortForm) != longData) << shortForm;
    ASSERT_TRUE(writeEntry(mainKey, nativeView, {shortForm, program, "client.exe"}));
    EXPECT_EQ(restart(), RestartOutcome::Started);
    EXPECT_FALSE(fileExists(shortLock));
    ::DeleteFileA((program + "client.exe.started").c_str());

    SCOPED_TRACE("a link at the lock file's name, that leads elsewhere");
    const std::string elsewhere = lockIn(dir("elsewhere"));
    ASSERT_TRUE(::DeleteFileA(lockIn(data).c_str()));
    ASSERT_TRUE(driver::makeLink(data + "~corvana.lck", elsewhere, false));
    ASSERT_TRUE(writeEntry(mainKey, nativeView, {data, program, "client.exe"}));
    EXPECT_EQ(restart(), RestartOutcome::Started);
    EXPECT_TRUE(fileExists(elsewhere)) << "the deletion followed the link";
    ::DeleteFileA((data + "~corvana.lck").c_str());
    ::DeleteFileA((program + "client.exe.started").c_str());

    SCOPED_TRACE("missing");
    EXPECT_EQ(restart(), RestartOutcome::Started);
    EXPECT_NE(markOf(program + "client.exe"), "");
    ::DeleteFileA((program + "client.exe.started").c_str());

    SCOPED_TRACE("held open by another process");
    const std::string lock = lockIn(data);
    const std::string holder = dir("holder") + "holder.exe";
    installClient(holder);
    driver::Launch hold;
    hold.exePath = holder;
    hold.arguments = "--hold " + lock;
    driver::Program holding(hold);
    ASSERT_TRUE(driver::waitUntil([&] { return fileExists(holder + ".started"); }));
    EXPECT_EQ(restart(), RestartOutcome::Started);
    EXPECT_TRUE(fileExists(lock)) << "a lock file in use cannot be deleted";
    EXPECT_NE(markOf(program + "client.exe"), "");
    holding.kill();
}

TEST_F(Restart, KeysOnlyInThe32BitViewAreFound) {
    const std::string mainData = dir("main-data"), mainProgram = dir("main-program");
    const std::string fallbackData = dir("fallback-data"), fallbackProgram = dir("fallback-program");
    installClient(mainProgram + "client.exe");
    installClient(fallbackProgram + "client.exe");

    SCOPED_TRACE("fallback key in the 32-bit view, no main key");
    ASSERT_TRUE(writeEntry(fallbackKey, view32, {fallbackData, fallbackProgram, "client.exe"}));
    HKEY native = nullptr;
    ASSERT_NE(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, fallbackKey.c_str(), 0, KEY_READ, &native), ERROR_SUCCESS)
        << "the views must be apart for this test to mean anything";
    EXPECT_EQ(restart(), RestartOutcome::Started);
    EXPECT_NE(markOf(fallbackProgram + "client.exe"), "");

    SCOPED_TRACE("main key in the 32-bit view comes before the fallback key");
    ASSERT_TRUE(writeEntry(mainKey, view32, {mainData, mainProgram, "client.exe"}));
    const std::string lock = lockIn(mainData);
    EXPECT_EQ(restart(), RestartOutcome::Started);
    EXPECT_FALSE(fileExists(lock));
    EXPECT_NE(markOf(mainProgram + "client.exe"), "");
    ::DeleteFileA((mainProgram + "client.exe.started").c_str());

    SCOPED_TRACE("a native main key is used as it stands, even without a data directory");
    const std::string nativeProgram = dir("native-program");
    installClient(nativeProgram + "client.exe");
    ASSERT_TRUE(writeEntry(mainKey, nativeView, {"", nativeProgram, "client.exe"}));
    ::DeleteFileA((fallbackProgram + "client.exe.started").c_str());
    EXPECT_EQ(restart(), RestartOutcome::Started);
    EXPECT_EQ(markOf(mainProgram + "client.exe"), "") << "the 32-bit main key is not consulted";
    EXPECT_NE(markOf(fallbackProgram + "client.exe"), "");
}

TEST_F(Restart, AProgramPathWithBlanksNeverStartsAProgramNamedByItsFirstWord) {
    const std::string data = dir("data");
    dir("Program Files");
    const std::string program = dir("Program Files\\Corvana");
    const std::string decoy = app.file("Program.exe");
    installClient(decoy);
    ASSERT_TRUE(writeEntry(mainKey, nativeView, {data, program, "client.exe"}));

    SCOPED_TRACE("client missing");
    EXPECT_EQ(restart(), RestartOutcome::StartFailed);
    EXPECT_EQ(markOf(decoy), "");

    installClient(program + "client.exe");
    for (const char* name : {"client.exe", "client", "client.exe /min"}) {
        SCOPED_TRACE(std::string("client present, named ") + name);
        ASSERT_TRUE(writeEntry(mainKey, nativeView, {data, program, name}));
        ::DeleteFileA((program + "client.exe.started").c_str());
        EXPECT_EQ(restart(), RestartOutcome::Started);
        const std::string mark = markOf(program + "client.exe");
        EXPECT_NE(mark, "");
        EXPECT_EQ(mark.find("/min") != std::string::npos, std::string(name).ends_with("/min")) << mark;
        EXPECT_EQ(markOf(decoy), "");
    }
}

// The registry class in the 32-bit view: written, read, listed and deleted there, and nowhere else.
TEST(RegistryView, Bits32WorksInThe32BitViewOnly) {
    SavedHalvane saved;
    const std::string section = "Software\\Halvane\\ViewTest";
    cRegistry registry;
    registry.ClassKey(hkeyLocalMachine);
    registry.SectionKey(section);
    registry.View(RegistryView::Bits32);
    registry.ValueKey("v");
    registry.ValueType(regSz);
    registry.Value(RegistryValue("in the 32-bit view"));

    HKEY key = nullptr;
    EXPECT_NE(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, section.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, section.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &key), ERROR_SUCCESS);
    ::RegCloseKey(key);
    EXPECT_TRUE(registry.KeyExists());
    EXPECT_EQ(registry.Value(), RegistryValue("in the 32-bit view"));
    std::vector<std::string> names;
    std::int32_t count = 0;
    registry.EnumerateValues(names, count);
    EXPECT_EQ(names, std::vector<std::string>{"v"});

    registry.View(RegistryView::Native);
    EXPECT_FALSE(registry.KeyExists());
    EXPECT_EQ(registry.Value(), RegistryValue());

    registry.View(RegistryView::Bits32);
    EXPECT_TRUE(registry.DeleteKey());
    EXPECT_FALSE(registry.KeyExists());
}

} // namespace
