// frmAbout::GetKeyValue against Wine's registry, in keys the test creates and removes.
#include "windows/frmAbout.h"

#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>

using quellary::frmAbout;

namespace {

class KeyValue : public testing::Test {
protected:
    const std::string keyPath = "Software\\QuellaryTests\\" + std::to_string(::GetCurrentProcessId());
    HKEY key = nullptr;

    void SetUp() override {
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                    nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        ::RegCloseKey(key);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, keyPath.c_str());
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuellaryTests"); // only when no other run uses it
    }

    void put(const char* name, DWORD type, const std::string& bytes) const {
        ASSERT_EQ(::RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                   static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }

    // What GetKeyValue reports for a value of our key, starting from `before` in KeyVal.
    std::pair<bool, std::string> read(const std::string& name, const std::string& before = "before") const {
        std::string value = before;
        const bool found = frmAbout::GetKeyValue(HKEY_CURRENT_USER, keyPath, name, value);
        return {found, value};
    }
};

TEST_F(KeyValue, StringsUpTo1023CharactersAreReadWhole) {
    const std::string longest(1023, 'x');
    put("longest", REG_SZ, longest + '\0');
    EXPECT_EQ(read("longest"), std::make_pair(true, longest));

    put("short", REG_SZ, std::string("C:\\Tools\\info.exe") + '\0');
    EXPECT_EQ(read("short"), std::make_pair(true, std::string("C:\\Tools\\info.exe")));
    put("empty", REG_SZ, std::string(1, '\0'));
    EXPECT_EQ(read("empty"), std::make_pair(true, std::string()));
}

TEST_F(KeyValue, LongerStringsAreRefusedAndLeaveNoText) {
    put("too long", REG_SZ, std::string(1024, 'y') + '\0');
    EXPECT_EQ(read("too long"), std::make_pair(false, std::string()));
    put("far too long", REG_SZ, std::string(5000, 'z') + '\0');
    EXPECT_EQ(read("far too long"), std::make_pair(false, std::string()));
}

TEST_F(KeyValue, StringsStoredWithoutTheirNullKeepEveryCharacter) {
    put("no null", REG_SZ, "C:\\Tools\\info.exe");
    EXPECT_EQ(read("no null"), std::make_pair(true, std::string("C:\\Tools\\info.exe")));
}

TEST_F(KeyValue, NumbersBecomeEightHexadecimalDigits) {
    const struct {
        DWORD number;
        const char* text;
    } cases[] = {{0x12345678, "&h12345678"}, {1, "&h00000001"}, {0, "&h00000000"}, {0xFFFFABCD, "&hFFFFABCD"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        put("number", REG_DWORD, std::string(reinterpret_cast<const char*>(&c.number), sizeof c.number));
        EXPECT_EQ(read("number"), std::make_pair(true, std::string(c.text)));
    }
}

TEST_F(KeyValue, OtherTypesCountAsReadAndLeaveTheTextAlone) {
    put("expand", REG_EXPAND_SZ, std::string("%windir%\\x.exe") + '\0');
    put("binary", REG_BINARY, std::string("\x01\x02", 2));
    EXPECT_EQ(read("expand", "kept"), std::make_pair(true, std::string("kept")));
    EXPECT_EQ(read("binary", "kept"), std::make_pair(true, std::string("kept")));
}

TEST_F(KeyValue, MissingValuesAndKeysLeaveNoText) {
    EXPECT_EQ(read("absent"), std::make_pair(false, std::string()));
    std::string value = "before";
    EXPECT_FALSE(frmAbout::GetKeyValue(HKEY_CURRENT_USER, keyPath + "\\absent", "x", value));
    EXPECT_EQ(value, "");
}

TEST_F(KeyValue, AKeyTheUserMayOnlyReadIsRead) {
    // Everyone may read the key and delete it (for the clean-up), nobody may change it.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)(A;;SD;;;WD)", SDDL_REVISION_1,
                                                                       &descriptor, nullptr));
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    HKEY readOnly = nullptr;
    const LONG created =
        ::RegCreateKeyExA(key, "read only", 0, nullptr, 0, KEY_SET_VALUE, &attributes, &readOnly, nullptr);
    ::LocalFree(descriptor);
    ASSERT_EQ(created, ERROR_SUCCESS);
    const std::string path = "C:\\Tools\\info.exe";
    ASSERT_EQ(::RegSetValueExA(readOnly, "PATH", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                               static_cast<DWORD>(path.size() + 1)),
              ERROR_SUCCESS);
    ::RegCloseKey(readOnly);

    // Where the system lets anyone open the key for changing, a read that asks for more than reading would pass
    // as well: nothing here could tell.
    HKEY full = nullptr;
    const LONG fullAccess = ::RegOpenKeyExA(key, "read only", 0, KEY_SET_VALUE, &full);
    if (fullAccess == ERROR_SUCCESS) {
        ::RegCloseKey(full);
        GTEST_SKIP() << "this system does not enforce a key's access rights: the read-only key was opened for "
                        "changing, so a read that asks for more than reading would pass too";
    }
    ASSERT_EQ(fullAccess, ERROR_ACCESS_DENIED);
    std::string value;
    EXPECT_TRUE(frmAbout::GetKeyValue(HKEY_CURRENT_USER, keyPath + "\\read only", "PATH", value));
    EXPECT_EQ(value, path);
}

} // namespace
