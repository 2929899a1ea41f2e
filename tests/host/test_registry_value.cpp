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
