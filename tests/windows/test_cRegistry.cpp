// cRegistry against the real registry, in a key under HKEY_CURRENT_USER that each test creates and removes.
// Values are planted and inspected with the raw API so that the class is not the only witness of itself.
#include "registry/cRegistry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

using namespace quellary;

namespace {

struct RawValue {
    DWORD type;
    std::string data;
};

std::optional<RawValue> readRaw(HKEY root, const std::string& section, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, section.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    RawValue raw{0, std::string(4096, '\0')};
    auto size = static_cast<DWORD>(raw.data.size());
    const LONG result =
        RegQueryValueExA(key, name.c_str(), nullptr, &raw.type, reinterpret_cast<BYTE*>(raw.data.data()), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        return std::nullopt;
    }
    raw.data.resize(size);
    return raw;
}

// Runs the call and checks that it raised the error with this number and description.
template <class Call>
testing::AssertionResult raises(Call&& call, std::int32_t number, const std::string& description) {
    try {
        std::forward<Call>(call)();
    } catch (const RegistryError& error) {
        if (error.number() != number || error.description() != description ||
            error.source() != "registry_tests.cRegistry") {
            return testing::AssertionFailure()
                   << "got " << error.number() << " \"" << error.description() << "\" from " << error.source()
                   << ", expected " << number << " \"" << description << "\"";
        }
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "nothing raised, expected " << number;
}

class RegistryTest : public testing::Test {
protected:
    void SetUp() override {
        reg.ClassKey(hkeyCurrentUser);
        reg.SectionKey(section);
        ASSERT_EQ(
            RegCreateKeyExA(HKEY_CURRENT_USER, section.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(key);
        RegDeleteTreeA(HKEY_CURRENT_USER, section.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, section.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuellaryTests"); // only when no other run still uses it
    }
    void plant(const std::string& name, DWORD type, std::string_view data) const {
        ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }
    [[nodiscard]] std::optional<RawValue> stored(const std::string& name) const {
        return readRaw(HKEY_CURRENT_USER, section, name);
    }

    const std::string section = "Software\\QuellaryTests\\" + std::to_string(GetCurrentProcessId());
    HKEY key = nullptr;
    cRegistry reg;
};

} // namespace

TEST(cRegistryFresh, BehavesAsAnUnopenableRoot) {
    cRegistry reg;
    EXPECT_EQ(reg.ClassKey(), 0);
    EXPECT_EQ(reg.ValueType(), regNone);
    EXPECT_FALSE(reg.KeyExists());
    EXPECT_TRUE(reg.Value().isEmpty());
    EXPECT_EQ(reg.ValueType(), regNone);
    std::vector<std::string> names{"stale"};
    std::int32_t count = -1;
    EXPECT_TRUE(reg.EnumerateValues(names, count));
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(reg.EnumerateSections(names, count));
    EXPECT_EQ(count, 0);
    reg.SectionKey("A\\B");
    EXPECT_TRUE(raises([&] { reg.CreateKey(); }, errRegistryKey, "Failed to create registry Key: 'A\\B"));
    EXPECT_TRUE(raises([&] { reg.DeleteKey(); }, errRegistryKey, "Failed to delete registry Key: '0',Section: 'A\\B"));
    EXPECT_TRUE(raises([&] { reg.Value("x"); }, errRegistryKey,
                       "Failed to set registry value Key: '0',Section: 'A\\B',Key: '' to value: 'x'"));
    EXPECT_EQ(reg.SectionKey(), "A\\B"); // a failure leaves the coordinates alone
}

TEST_F(RegistryTest, MissingValueOrKeyYieldsCopyOfDefaultAndKeepsValueType) {
    for (const RegistryValue& fallback : {RegistryValue(7), RegistryValue(RegistryValue::Bytes{1, 2})}) {
        reg.Default(fallback);
        reg.ValueType(regBinary);
        reg.ValueKey("absent");
        EXPECT_EQ(reg.Value(), fallback);
        reg.SectionKey(section + "\\absent");
        EXPECT_EQ(reg.Value(), fallback);
        EXPECT_EQ(reg.ValueType(), regBinary);
        reg.SectionKey(section);
    }
}

TEST_F(RegistryTest, ReadsEveryStoredTypeAndTakesItsType) {
    ASSERT_TRUE(SetEnvironmentVariableA("QUELLARY_TEST_DIR", "C:\\qt"));
    // Longer than any first guess at the expanded size.
    const std::string longText(5000, 'x');
    const std::string longExpandable = longText + "%QUELLARY_TEST_DIR%";
    const struct {
        DWORD type;
        std::string_view data;
        RegistryValue expected;
    } cases[] = {
        {REG_SZ, {"abc", 4}, "abc"},
        {REG_SZ, {"", 0}, ""},
        {REG_SZ, {"abc", 3}, "abc"}, // written without its NUL by some other program
        {REG_EXPAND_SZ, {"%QUELLARY_TEST_DIR%\\x;%NO_SUCH_VAR_Q% 50%", 42}, "C:\\qt\\x;%NO_SUCH_VAR_Q% 50%"},
        {REG_EXPAND_SZ, {longExpandable.c_str(), longExpandable.size() + 1}, longText + "C:\\qt"},
        {REG_EXPAND_SZ, {"", 1}, ""},
        {REG_MULTI_SZ, {"a\0b\0", 5}, std::string("a\0b\0", 4)},
        {REG_DWORD, {"\x05\x01\x00\x00", 4}, 0x105},
        {REG_DWORD, {"\xFE\xFF\xFF\xFF", 4}, -2},
        {REG_DWORD_BIG_ENDIAN, {"\x00\x00\x01\x00", 4}, 256},
        {REG_BINARY, {"", 0}, RegistryValue::Bytes{}},
        {REG_BINARY, {"\x00\x01\xFF", 3}, RegistryValue::Bytes{0x00, 0x01, 0xFF}},
        {REG_NONE, {"\x09", 1}, RegistryValue::Bytes{0x09}},
        {REG_QWORD, {"\x01\x00\x00\x00\x00\x00\x00\x80", 8}, RegistryValue::Bytes{1, 0, 0, 0, 0, 0, 0, 0x80}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " data '" << c.expected.textForm().substr(0, 80)
                                        << "'");
        plant("v", c.type, c.data);
        reg.ValueKey("v");
        reg.ValueType(regNone);
        EXPECT_EQ(reg.Value(), c.expected);
        EXPECT_EQ(reg.ValueType(), static_cast<std::int32_t>(c.type));
    }
}

TEST_F(RegistryTest, TextWriteChoosesExpandTypeByPercentSignsOnly) {
    const struct {
        std::int32_t valueType;
        RegistryValue value;
        DWORD storedType;
        std::string_view storedData;
    } cases[] = {
        {regSz, "%windir%\\a", REG_EXPAND_SZ, {"%windir%\\a", 11}},
        {regExpandSz, "100%", REG_SZ, {"100%", 5}},
        {regSz, "%%", REG_SZ, {"%%", 3}},
        {regSz, "%%a%", REG_EXPAND_SZ, {"%%a%", 5}},
        {regSz, "a%b%", REG_EXPAND_SZ, {"a%b%", 5}},
        {regExpandSz, "%a", REG_SZ, {"%a", 3}},
        {regSz, "\"C:\\50%\\a.exe\" \"%1\"", REG_EXPAND_SZ, {"\"C:\\50%\\a.exe\" \"%1\"", 20}},
        {regExpandSz, "", REG_SZ, {"", 1}},
        {regSz, {}, REG_SZ, {"", 1}},
        {regSz, -42, REG_SZ, {"-42", 4}},
        {regSz, RegistryValue::Bytes{0xAB, 0x01}, REG_SZ, {"AB 01", 6}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.textForm());
        reg.ValueKey("t");
        reg.ValueType(c.valueType);
        reg.Value(c.value);
        const auto raw = stored("t");
        ASSERT_TRUE(raw);
        EXPECT_EQ(raw->type, c.storedType);
        EXPECT_EQ(raw->data, c.storedData);
    }
}

TEST_F(RegistryTest, IntegerWriteStoresPlainDwordForBothDwordCodes) {
    reg.ValueKey("n");
    reg.ValueType(regDwordBigEndian);
    reg.Value(5);
    auto raw = stored("n");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(raw->data, std::string("\x05\0\0\0", 4));
    EXPECT_EQ(reg.Value(), RegistryValue(5));
    EXPECT_EQ(reg.ValueType(), regDword);

    reg.Value(std::int16_t{-3});
    EXPECT_EQ(stored("n")->data, "\xFD\xFF\xFF\xFF");

    // A text is not converted: the store is refused and the old value stays.
    EXPECT_TRUE(
        raises([&] { reg.Value("7"); }, errSetValue,
               "Failed to set registry value Key: '-2147483647',Section: '" + section + "',Key: 'n' to value: '7'"));
    EXPECT_EQ(stored("n")->data, "\xFD\xFF\xFF\xFF");
}

TEST_F(RegistryTest, BinaryWriteRoundTripsAndRefusesOtherKinds) {
    reg.ValueKey("b");
    for (const std::size_t n : {0u, 1u, 2048u}) {
        RegistryValue::Bytes bytes(n);
        for (std::size_t i = 0; i < n; ++i) {
            bytes[i] = static_cast<std::uint8_t>(i * 7);
        }
        reg.ValueType(regBinary);
        reg.Value(bytes);
        EXPECT_EQ(stored("b")->data.size(), n);
        EXPECT_EQ(reg.Value(), RegistryValue(bytes));
    }
    reg.SectionKey(section + "\\bin");
    EXPECT_TRUE(raises([&] { reg.Value("01 02"); }, errRegistryKey, std::string(binaryNeedsBytes)));
    EXPECT_TRUE(reg.KeyExists());
    EXPECT_FALSE(readRaw(HKEY_CURRENT_USER, section + "\\bin", "b"));
}

TEST_F(RegistryTest, UnsupportedTypesCreateTheKeyWriteNothingAndRaise) {
    // HKEY_LOCAL_MACHINE so that the description shows that root in signed decimal.
    const std::string machineSection = "Software\\QuellaryTests\\" + std::to_string(GetCurrentProcessId()) + "m";
    reg.ClassKey(hkeyLocalMachine);
    reg.SectionKey(machineSection);
    reg.ValueKey("B");
    for (const std::int32_t type : {regNone, regLink, regMultiSz, 11}) {
        reg.ValueType(type);
        EXPECT_TRUE(raises([&] { reg.Value("x"); }, errSetValue,
                           "Failed to set registry value Key: '-2147483646',Section: '" + machineSection +
                               "',Key: 'B' to value: 'x'"));
        EXPECT_TRUE(reg.KeyExists());
        EXPECT_FALSE(readRaw(HKEY_LOCAL_MACHINE, machineSection, "B"));
        EXPECT_EQ(reg.ValueType(), type);
    }
    EXPECT_TRUE(reg.DeleteKey());
    EXPECT_FALSE(reg.KeyExists());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\QuellaryTests");

    // HKEY_CLASSES_ROOT is the most negative root; a value that is not text shows as its bytes.
    const std::string classSection = "QuellaryTests." + std::to_string(GetCurrentProcessId());
    reg.ClassKey(hkeyClassesRoot);
    reg.SectionKey(classSection);
    reg.ValueType(regNone);
    EXPECT_TRUE(raises(
        [&] {
            reg.Value(RegistryValue::Bytes{1, 2});
        },
        errSetValue,
        "Failed to set registry value Key: '-2147483648',Section: '" + classSection + "',Key: 'B' to value: '01 02'"));
    EXPECT_TRUE(reg.DeleteKey());
}

TEST_F(RegistryTest, KeysAreCreatedWithTheirParentsAndDeletedOnlyWhenEmpty) {
    reg.SectionKey(section + "\\a\\b");
    EXPECT_FALSE(reg.KeyExists());
    EXPECT_TRUE(reg.CreateKey());
    EXPECT_TRUE(reg.CreateKey()); // opening an existing key is no failure
    EXPECT_TRUE(reg.KeyExists());
    reg.SectionKey(section + "\\a");
    EXPECT_TRUE(raises([&] { reg.DeleteKey(); }, errRegistryKey,
                       "Failed to delete registry Key: '-2147483647',Section: '" + section + "\\a"));
    reg.SectionKey(section + "\\a\\b");
    EXPECT_TRUE(reg.DeleteKey());
    EXPECT_FALSE(reg.KeyExists());
    EXPECT_TRUE(raises([&] { reg.DeleteKey(); }, errRegistryKey,
                       "Failed to delete registry Key: '-2147483647',Section: '" + section + "\\a\\b"));
}

TEST_F(RegistryTest, DeleteValueReportsMissingKeyAndMissingValue) {
    plant("gone", REG_SZ, {"x", 2});
    reg.ValueKey("gone");
    EXPECT_TRUE(reg.DeleteValue());
    EXPECT_FALSE(stored("gone"));
    EXPECT_TRUE(raises([&] { reg.DeleteValue(); }, errRegistryKey,
                       "Failed to delete registry Key: '-2147483647',Section: '" + section + "',Key: 'gone"));
    reg.SectionKey(section + "\\none");
    EXPECT_TRUE(raises([&] { reg.DeleteValue(); }, errRegistryKey,
                       "Failed to open key '-2147483647',Section: '" + section + "\\none' for delete access"));
}

TEST_F(RegistryTest, EnumeratesValueNamesAndSubkeys) {
    plant("", REG_SZ, {"d", 2});
    plant("first", REG_DWORD, {"\1\0\0\0", 4});
    plant(std::string(200, 'n'), REG_SZ, {"", 0});
    std::vector<std::string> names{"stale"};
    std::int32_t count = -1;
    EXPECT_TRUE(reg.EnumerateValues(names, count));
    EXPECT_EQ(names, (std::vector<std::string>{"", "first", std::string(200, 'n')}));
    EXPECT_EQ(count, 3);

    // A name of the longest legal length must not end the list early. Created relative to the test key: Wine
    // limits the whole path given to the narrow functions to 260 characters.
    const std::vector<std::string> subkeys{"a1", std::string(255, 'L'), "z3"};
    for (const auto& name : subkeys) {
        HKEY subkey = nullptr;
        ASSERT_EQ(RegCreateKeyExA(key, name.c_str(), 0, nullptr, 0, KEY_READ, nullptr, &subkey, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(subkey);
    }
    reg.SectionKey(section);
    EXPECT_TRUE(reg.EnumerateSections(names, count));
    EXPECT_EQ(names, subkeys);
    EXPECT_EQ(count, 3);

    reg.SectionKey(section + "\\a1");
    EXPECT_TRUE(reg.EnumerateValues(names, count));
    EXPECT_EQ(count, 0);
    reg.SectionKey(section + "\\missing");
    EXPECT_TRUE(reg.EnumerateSections(names, count));
    EXPECT_TRUE(names.empty());
}
