// File-type registration under both class roots, checked with the system's own reg.exe so that our reading
// code is not the only witness of our writing code. Class and extension names carry the process id and are
// removed afterwards.
//
// Wine keeps HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE\SOFTWARE\Classes as one key, so a write to either shows up
// under both and a missing one goes unseen. Each test therefore maps HKEY_CLASSES_ROOT of this process onto a key
// of its own under HKEY_CURRENT_USER (RegOverridePredefKey, which Wine honours for opening and creating keys).
#include "platform/handles.h"
#include "registry/cRegistry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <utility>

namespace quellary {

// Reaches the private helpers that the association members are built on.
class cRegistryTestAccess {
public:
    static void WriteToBothClassRoots(cRegistry& reg, const std::string& text) { reg.WriteToBothClassRoots(text); }
};

} // namespace quellary

using namespace quellary;

namespace {

const std::string pid = std::to_string(GetCurrentProcessId());
const std::string className = "QuellaryTest." + pid;
const std::string extension = "qt" + pid;
const std::string classesRootStandIn = "Software\\QuellaryTests\\Classes." + pid;
// Where reg.exe, a process of its own, finds what this process wrote under each class root.
const std::string classRoots[] = {"HKEY_CURRENT_USER\\" + classesRootStandIn, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes"};

// Standard output of a command line, run hidden; empty when it could not be started.
std::string runAndCapture(std::string commandLine) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        return {};
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(writeEnd); // so that the read ends when the child has gone
    std::string output;
    if (started) {
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0) {
            output.append(chunk, got);
        }
        WaitForSingleObject(process.hProcess, 30000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    return output;
}

// Every key and value below root\name as reg.exe lists it, one line each, paths relative to root:
// "key" for a key, "key|value name|type|data" for a value.
std::set<std::string> regQuery(const std::string& root, const std::string& name) {
    // reg.exe always prints something, an error for a missing key included: nothing at all means it did not
    // run, which once happened under load, and says nothing about the registry.
    std::string output;
    for (int attempt = 0; attempt < 3 && output.empty(); ++attempt) {
        output = runAndCapture("reg query \"" + root + "\\" + name + "\" /s");
    }
    std::istringstream lines(output);
    std::set<std::string> entries;
    std::string key;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.rfind("    ", 0) == 0) {
            const std::size_t typeAt = line.find("    ", 4);
            const std::size_t dataAt = line.find("    ", typeAt + 4);
            if (typeAt != std::string::npos && dataAt != std::string::npos) {
                entries.insert(key + "|" + line.substr(4, typeAt - 4) + "|" +
                               line.substr(typeAt + 4, dataAt - typeAt - 4) + "|" + line.substr(dataAt + 4));
            }
        } else if (line.size() > root.size() && _strnicmp(line.c_str(), root.c_str(), root.size()) == 0) {
            key = line.substr(root.size() + 1);
            entries.insert(key);
        }
    }
    return entries;
}

std::set<std::string> bothQueries(const std::string& root) {
    std::set<std::string> entries = regQuery(root, "." + extension);
    entries.merge(regQuery(root, className));
    return entries;
}

class AssociationTest : public testing::Test {
protected:
    void SetUp() override {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, classesRootStandIn.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        classesRoot.reset(key);
        ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, classesRoot.get()), ERROR_SUCCESS);
    }
    void TearDown() override {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        classesRoot.reset();
        RegDeleteTreeA(HKEY_CURRENT_USER, classesRootStandIn.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuellaryTests"); // only when no other run still uses it
        for (const std::string& name : {className, "." + extension}) {
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, ("SOFTWARE\\Classes\\" + name).c_str());
        }
    }
    // A volatile key refuses lasting subkeys, and the class creates only lasting ones: the first write below this
    // key fails, under this root alone.
    static void refuseWritesBelow(HKEY root, const std::string& path) {
        HKEY key = nullptr;
        const std::size_t parentEnd = path.rfind('\\');
        ASSERT_NE(parentEnd, std::string::npos);
        ASSERT_EQ(RegCreateKeyExA(root, path.substr(0, parentEnd).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        UniqueKey parent(key);
        ASSERT_EQ(RegCreateKeyExA(parent.get(), path.substr(parentEnd + 1).c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const UniqueKey refusing(key);
    }
    UniqueKey classesRoot;
    cRegistry reg;
};

// Runs the call and checks that it raised the error of a key that could not be created.
template <class Call> testing::AssertionResult raisesKeyError(Call&& call) {
    try {
        std::forward<Call>(call)();
    } catch (const RegistryError& error) {
        if (error.number() != errRegistryKey) {
            return testing::AssertionFailure() << "got " << error.number() << " \"" << error.description() << "\"";
        }
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "nothing raised";
}

// Everything but the entries at or below one key.
std::set<std::string> without(std::set<std::string> entries, const std::string& key) {
    std::erase_if(entries, [&](const std::string& entry) {
        return entry.rfind(key, 0) == 0 &&
               (entry.size() == key.size() || entry[key.size()] == '|' || entry[key.size()] == '\\');
    });
    return entries;
}

// The entries of a default open verb with this executable path as written under one root.
std::set<std::string> openVerbEntries(const std::string& quotedPath, const char* commandType = "REG_SZ") {
    const std::string& c = className;
    return {"." + extension,
            "." + extension + "|(Default)|REG_SZ|" + c,
            c,
            c + "|(Default)|REG_SZ|App document",
            c + "\\shell",
            c + "\\shell\\open",
            c + "\\shell\\open|(Default)|REG_SZ|&Open",
            c + "\\shell\\open\\command",
            c + "\\shell\\open\\command|(Default)|" + commandType + "|" + quotedPath + " \"%1\""};
}

// Every verb and the icon, with the default menu texts and the icon index 0.
void createEveryVerb(cRegistry& reg) {
    reg.CreateEXEAssociation("\"C:\\App\\app.exe\"", className, "App document", extension, "", true, "", true, "", true,
                             "", 0);
}

std::set<std::string> everyVerbEntries() {
    const std::string& c = className;
    const std::string path = "\"C:\\App\\app.exe\"";
    std::set<std::string> entries = openVerbEntries(path);
    entries.merge(std::set<std::string>{
        c + "\\shell\\print", c + "\\shell\\print|(Default)|REG_SZ|&Print", c + "\\shell\\print\\command",
        c + "\\shell\\print\\command|(Default)|REG_SZ|" + path + " /p \"%1\"", c + "\\shell\\add",
        c + "\\shell\\add|(Default)|REG_SZ|&Install " + extension, c + "\\shell\\add\\command",
        c + "\\shell\\add\\command|(Default)|REG_SZ|" + path + " /a \"%1\"", c + "\\shell\\new",
        c + "\\shell\\new|(Default)|REG_SZ|&New", c + "\\shell\\new\\command",
        c + "\\shell\\new\\command|(Default)|REG_SZ|" + path + " /n \"%1\"", c + "\\DefaultIcon",
        c + "\\DefaultIcon|(Default)|REG_SZ|" + path + ",0"});
    return entries;
}

} // namespace

TEST_F(AssociationTest, WriteToBothClassRootsWritesEachRootAndEndsOnMachineRoot) {
    reg.SectionKey("." + extension);
    reg.ValueType(regSz);
    cRegistryTestAccess::WriteToBothClassRoots(reg, "x");
    EXPECT_EQ(reg.ClassKey(), hkeyLocalMachine);
    EXPECT_EQ(reg.SectionKey(), "." + extension);
    for (const std::string& root : classRoots) {
        EXPECT_EQ(regQuery(root, "." + extension),
                  (std::set<std::string>{"." + extension, "." + extension + "|(Default)|REG_SZ|x"}))
            << root;
    }
}

TEST_F(AssociationTest, DefaultsWriteOnlyTheOpenVerb) {
    reg.CreateEXEAssociation("  C:\\App\\app.exe ", className, "App document", extension);
    for (const std::string& root : classRoots) {
        EXPECT_EQ(bothQueries(root), openVerbEntries("\"C:\\App\\app.exe\"")) << root;
    }
    EXPECT_EQ(reg.ClassKey(), hkeyLocalMachine);
    EXPECT_EQ(reg.SectionKey(), className + "\\shell\\open\\command");
    EXPECT_EQ(reg.ValueKey(), "");
    EXPECT_EQ(reg.ValueType(), regSz);
}

TEST_F(AssociationTest, EveryVerbAndTheIcon) {
    createEveryVerb(reg);
    for (const std::string& root : classRoots) {
        EXPECT_EQ(bothQueries(root), everyVerbEntries()) << root;
    }
    EXPECT_EQ(reg.SectionKey(), className + "\\DefaultIcon");
}

TEST_F(AssociationTest, AFailureAtOneRootLeavesTheCoordinatesOfThatWrite) {
    const std::string section = className + "\\shell";
    reg.ValueType(regSz);

    refuseWritesBelow(HKEY_CURRENT_USER, classesRootStandIn + "\\" + className);
    reg.SectionKey(section);
    EXPECT_TRUE(raisesKeyError([&] { cRegistryTestAccess::WriteToBothClassRoots(reg, "x"); }));
    EXPECT_EQ(reg.ClassKey(), hkeyClassesRoot);
    EXPECT_EQ(reg.SectionKey(), section);
    EXPECT_EQ(regQuery(classRoots[1], className), std::set<std::string>{}) << "written after the failure";
    ASSERT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, className.c_str()), ERROR_SUCCESS);

    refuseWritesBelow(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\" + className);
    reg.SectionKey(section);
    EXPECT_TRUE(raisesKeyError([&] { cRegistryTestAccess::WriteToBothClassRoots(reg, "x"); }));
    EXPECT_EQ(reg.ClassKey(), hkeyLocalMachine);
    EXPECT_EQ(reg.SectionKey(), "SOFTWARE\\Classes\\" + section);
    EXPECT_EQ(regQuery(classRoots[0], section), (std::set<std::string>{section, section + "|(Default)|REG_SZ|x"}));
}

TEST_F(AssociationTest, AFailedWriteEndsTheAssociationAndKeepsTheEntriesBeforeIt) {
    // The install command under the machine root is refused: open and print come before it, new and the icon after.
    const std::string install = className + "\\shell\\add";
    refuseWritesBelow(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\" + install);
    EXPECT_TRUE(raisesKeyError([&] { createEveryVerb(reg); }));
    EXPECT_EQ(reg.ClassKey(), hkeyLocalMachine);
    EXPECT_EQ(reg.SectionKey(), "SOFTWARE\\Classes\\" + install + "\\command");
    const std::set<std::string> before =
        without(without(everyVerbEntries(), className + "\\shell\\new"), className + "\\DefaultIcon");
    EXPECT_EQ(bothQueries(classRoots[0]), before);
    EXPECT_EQ(bothQueries(classRoots[1]), without(before, install + "\\command"));
}

TEST_F(AssociationTest, OnePercentSignInThePathMakesOnlyTheCommandsExpandable) {
    const std::string path = "\"C:\\50%\\app.exe\"";
    reg.CreateEXEAssociation("C:\\50%\\app.exe", className, "App document", extension, "&Run", true, "P%", false, "",
                             false, "", 2);
    std::set<std::string> expected = openVerbEntries(path, "REG_EXPAND_SZ");
    expected.erase(className + "\\shell\\open|(Default)|REG_SZ|&Open");
    expected.merge(std::set<std::string>{
        className + "\\shell\\open|(Default)|REG_SZ|&Run", className + "\\shell\\print",
        className + "\\shell\\print|(Default)|REG_SZ|P%", className + "\\shell\\print\\command",
        className + "\\shell\\print\\command|(Default)|REG_EXPAND_SZ|" + path + " /p \"%1\"",
        className + "\\DefaultIcon", className + "\\DefaultIcon|(Default)|REG_SZ|" + path + ",2"});
    for (const std::string& root : classRoots) {
        EXPECT_EQ(bothQueries(root), expected) << root;
    }
}

TEST_F(AssociationTest, AdditionalVerbsNeedTriplesAndAnExistingClass) {
    reg.ClassKey(hkeyClassesRoot);
    reg.SectionKey("before");
    const auto raisesNumber = [&](const std::vector<RegistryValue>& items, std::int32_t number) {
        try {
            reg.CreateAdditionalEXEAssociations(className, items);
        } catch (const RegistryError& error) {
            return error.number() == number && error.source() == "registry_tests.cRegistry";
        }
        return false;
    };
    EXPECT_TRUE(raisesNumber({"a", "b", "c", "d"}, errAssociationItems));
    EXPECT_EQ(reg.SectionKey(), "before");
    EXPECT_TRUE(raisesNumber({}, errClassNotDefined));
    EXPECT_EQ(reg.SectionKey(), className);

    reg.CreateEXEAssociation("C:\\App\\app.exe", className, "App document", extension);
    const std::set<std::string> written = bothQueries(classRoots[0]);
    // Left on HKEY_LOCAL_MACHINE, the class is looked for directly below that root, where it is not.
    EXPECT_TRUE(raisesNumber({"edit", "&Edit", "e.exe"}, errClassNotDefined));
    reg.ClassKey(hkeyClassesRoot);
    reg.CreateAdditionalEXEAssociations(className);
    EXPECT_EQ(bothQueries(classRoots[0]), written);
    EXPECT_EQ(reg.SectionKey(), className);

    reg.ClassKey(hkeyClassesRoot);
    reg.CreateAdditionalEXEAssociations(className, {"edit", "&Edit", "notepad %1", "view", 7, "v.exe %x% \"%1\""});
    std::set<std::string> expected = written;
    const std::string shell = className + "\\shell\\";
    expected.merge(std::set<std::string>{shell + "edit", shell + "edit|(Default)|REG_SZ|&Edit", shell + "edit\\command",
                                         shell + "edit\\command|(Default)|REG_SZ|notepad %1", shell + "view",
                                         shell + "view|(Default)|REG_SZ|7", shell + "view\\command",
                                         shell + "view\\command|(Default)|REG_EXPAND_SZ|v.exe %x% \"%1\""});
    for (const std::string& root : classRoots) {
        EXPECT_EQ(bothQueries(root), expected) << root;
    }
    EXPECT_EQ(reg.ClassKey(), hkeyLocalMachine);
    EXPECT_EQ(reg.SectionKey(), shell + "view\\command");
}

TEST_F(AssociationTest, AFailedAdditionalVerbDoesNotStopTheOthersButIsReported) {
    reg.CreateEXEAssociation("C:\\App\\app.exe", className, "App document", extension);
    reg.ClassKey(hkeyClassesRoot);
    const std::string tooLong(300, 'v'); // longer than any key name may be
    try {
        reg.CreateAdditionalEXEAssociations(className, {tooLong, "&Bad", "bad.exe", "ok", "&Ok", "ok.exe"});
        ADD_FAILURE() << "the failed verb was not reported";
    } catch (const RegistryError& error) {
        EXPECT_EQ(error.number(), errRegistryKey);
    }
    for (const std::string& root : classRoots) {
        const std::set<std::string> entries = regQuery(root, className + "\\shell\\ok");
        EXPECT_EQ(entries.count(className + "\\shell\\ok\\command|(Default)|REG_SZ|ok.exe"), 1u) << root;
    }
}
