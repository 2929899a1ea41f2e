// The values and errors of the registry class, and the conversions that need no Windows: text form, the
// choice between REG_SZ and REG_EXPAND_SZ, byte reversal, error descriptions and association strings.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quellary {

// Value type codes as the registry stores them.
inline constexpr std::int32_t regNone = 0;
inline constexpr std::int32_t regSz = 1;
inline constexpr std::int32_t regExpandSz = 2;
inline constexpr std::int32_t regBinary = 3;
inline constexpr std::int32_t regDword = 4;
inline constexpr std::int32_t regDwordBigEndian = 5;
inline constexpr std::int32_t regLink = 6;
inline constexpr std::int32_t regMultiSz = 7;

// Predefined root keys as 32-bit signed handle values, the form in which the class holds and reports them.
inline constexpr std::int32_t hkeyClassesRoot = static_cast<std::int32_t>(0x80000000u);
inline constexpr std::int32_t hkeyCurrentUser = static_cast<std::int32_t>(0x80000001u);
inline constexpr std::int32_t hkeyLocalMachine = static_cast<std::int32_t>(0x80000002u);

// Error numbers of RegistryError.
inline constexpr std::int32_t errRegistryKey = 26001;
inline constexpr std::int32_t errSetValue = static_cast<std::int32_t>(0x800469A9u);
inline constexpr std::int32_t errEnumerateSections = static_cast<std::int32_t>(0x800469AAu);
inline constexpr std::int32_t errAssociationItems = static_cast<std::int32_t>(0x800469ACu);
inline constexpr std::int32_t errClassNotDefined = static_cast<std::int32_t>(0x800469ADu);

// Empty, text, integer or byte sequence. A 16-bit integer is accepted wherever an integer is and is held as
// 32-bit, which is all the registry stores.
class RegistryValue {
public:
    using Bytes = std::vector<std::uint8_t>;

    RegistryValue() = default;
    RegistryValue(std::string text) : data_(std::move(text)) {}
    RegistryValue(const char* text) : data_(std::string(text)) {}
    RegistryValue(std::int32_t number) : data_(number) {}
    RegistryValue(std::int16_t number) : data_(static_cast<std::int32_t>(number)) {}
    RegistryValue(Bytes bytes) : data_(std::move(bytes)) {}

    [[nodiscard]] bool isEmpty() const { return std::holds_alternative<std::monostate>(data_); }
    [[nodiscard]] bool isText() const { return std::holds_alternative<std::string>(data_); }
    [[nodiscard]] bool isInteger() const { return std::holds_alternative<std::int32_t>(data_); }
    [[nodiscard]] bool isBytes() const { return std::holds_alternative<Bytes>(data_); }

    // Only valid for the matching kind.
    [[nodiscard]] const std::string& text() const { return std::get<std::string>(data_); }
    [[nodiscard]] std::int32_t integer() const { return std::get<std::int32_t>(data_); }
    [[nodiscard]] const Bytes& bytes() const { return std::get<Bytes>(data_); }

    // The text itself, an integer in signed decimal, bytes as upper-case hexadecimal pairs separated by
    // blanks, and the empty text for the empty value.
    [[nodiscard]] std::string textForm() const;

    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;

private:
    std::variant<std::monostate, std::string, std::int32_t, Bytes> data_;
};

class RegistryError : public std::runtime_error {
public:
    RegistryError(std::int32_t number, std::string source, const std::string& description)
        : std::runtime_error(description), number_(number), source_(std::move(source)) {}

    [[nodiscard]] std::int32_t number() const { return number_; }
    [[nodiscard]] const std::string& source() const { return source_; }
    [[nodiscard]] std::string description() const { return what(); }

private:
    std::int32_t number_;
    std::string source_;
};

// A text is stored as REG_EXPAND_SZ when its first '%' has a second one at least two places further on
// (something between them to expand), and as REG_SZ otherwise.
[[nodiscard]] std::int32_t storedTextType(std::string_view text);

// The 32-bit integer with the argument's bytes in reverse order.
[[nodiscard]] std::int32_t reverseByteOrder(std::int32_t value);

// The source of every RegistryError: the executable name followed by ".cRegistry".
[[nodiscard]] std::string registryErrorSource(std::string_view exeName);

// Descriptions of the raised errors, with the root key in signed decimal. Several deliberately end without
// a closing quote, exactly as callers have always seen them.
[[nodiscard]] std::string createKeyFailure(std::string_view sectionKey);
[[nodiscard]] std::string deleteKeyFailure(std::int32_t classKey, std::string_view sectionKey);
[[nodiscard]] std::string openForDeleteFailure(std::int32_t classKey, std::string_view sectionKey);
[[nodiscard]] std::string deleteValueFailure(std::int32_t classKey, std::string_view sectionKey,
                                             std::string_view valueKey);
[[nodiscard]] std::string setValueFailure(std::int32_t classKey, std::string_view sectionKey, std::string_view valueKey,
                                          const RegistryValue& value);
inline constexpr std::string_view binaryNeedsBytes = "A REG_BINARY value can only be written from a byte sequence";
inline constexpr std::string_view associationItemsInvalid =
    "Invalid parameter list passed to CreateAdditionalEXEAssociations - expected Name/Text/Command";
inline constexpr std::string_view associationClassMissing =
    "Error - attempt to create additional associations before class defined.";

// An executable path as it stands in a shell command: trimmed of blanks, then given a leading and a trailing
// double quote where it has none.
[[nodiscard]] std::string quotedExePath(std::string_view path);

} // namespace quellary
