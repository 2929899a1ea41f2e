#include "platform/paths.h"
#include "registry/registry_value.h"

#include <gtest/gtest.h>

using namespace quellary;

TEST(RegistryValue, TextFormOfEveryKind) {
    const struct {
        RegistryValue value;
        std::string expected;
    } cases[] = {
        {{}, ""},
        {"C:\\x", "C:\\x"},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
        {-2147483647 - 1, "-2147483648"},
        {std::int16_t{-5}, "-5"},
        {RegistryValue::Bytes{}, ""},
        {RegistryValue::Bytes{0x00, 0x0A, 0xFF, 0x7c}, "00 0A FF 7C"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value.textForm(), c.expected);
    }
    EXPECT_TRUE(RegistryValue(std::int16_t{7}).isInteger());
    EXPECT_EQ(RegistryValue(std::int16_t{7}), RegistryValue(7));
}

TEST(RegistryValue, ExpandTypeNeedsTwoPercentSignsWithSomethingBetween) {
    const struct {
        std::string_view text;
        std::int32_t type;
    } cases[] = {
        {"%windir%\\x", regExpandSz},
        {"100%", regSz},
        {"%%", regSz},
        {"%%a%", regExpandSz},
        {"", regSz},
        {"a%b%", regExpandSz},
        {"%a", regSz},
        {"\"C:\\50%\\a.exe\" \"%1\"", regExpandSz},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(storedTextType(c.text), c.type) << c.text;
    }
}

TEST(RegistryValue, ReverseByteOrder) {
    EXPECT_EQ(reverseByteOrder(0x00010000), 256);
    EXPECT_EQ(reverseByteOrder(0x12345678), 0x78563412);
    EXPECT_EQ(reverseByteOrder(-1), -1);
    EXPECT_EQ(reverseByteOrder(0x80), static_cast<std::int32_t>(0x80000000u));
    EXPECT_EQ(reverseByteOrder(static_cast<std::int32_t>(0x80000000u)), 0x80);
}

TEST(RegistryValue, ErrorSourceUsesExecutableNameWithoutExtension) {
    EXPECT_EQ(registryErrorSource(executableName("C:\\Program Files\\Quellary\\quellary.exe")), "quellary.cRegistry");
    EXPECT_EQ(executableName("Z:/tmp/my.app.exe"), "my.app");
    EXPECT_EQ(executableName("noext"), "noext");
}

TEST(RegistryValue, DescriptionsShowRootInSignedDecimalAndKeepTheirOpenQuotes) {
    EXPECT_EQ(setValueFailure(hkeyLocalMachine, "A", "B", "x"),
              "Failed to set registry value Key: '-2147483646',Section: 'A',Key: 'B' to value: 'x'");
    EXPECT_EQ(setValueFailure(hkeyClassesRoot, "S", "", RegistryValue::Bytes{1, 2}),
              "Failed to set registry value Key: '-2147483648',Section: 'S',Key: '' to value: '01 02'");
    EXPECT_EQ(createKeyFailure("A\\B"), "Failed to create registry Key: 'A\\B");
    EXPECT_EQ(deleteKeyFailure(0, "A"), "Failed to delete registry Key: '0',Section: 'A");
    EXPECT_EQ(openForDeleteFailure(hkeyCurrentUser, "A"),
              "Failed to open key '-2147483647',Section: 'A' for delete access");
    EXPECT_EQ(deleteValueFailure(hkeyLocalMachine, "A", "B"),
              "Failed to delete registry Key: '-2147483646',Section: 'A',Key: 'B");
}

TEST(RegistryValue, ExecutablePathIsTrimmedAndQuotedOnce) {
    const struct {
        std::string_view path;
        std::string_view quoted;
    } cases[] = {
        {"C:\\App\\app.exe", "\"C:\\App\\app.exe\""},
        {"  C:\\My App\\a.exe  ", "\"C:\\My App\\a.exe\""},
        {"\"C:\\App\\app.exe\"", "\"C:\\App\\app.exe\""},
        {"\"C:\\a.exe", "\"C:\\a.exe\""},
        {"C:\\a.exe\"", "\"C:\\a.exe\""},
        {"", "\""},
        {"   ", "\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(quotedExePath(c.path), c.quoted) << c.path;
    }
}
