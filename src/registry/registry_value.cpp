#include "registry/registry_value.h"

namespace quellary {

std::string RegistryValue::textForm() const {
    if (isText()) {
        return text();
    }
    if (isInteger()) {
        return std::to_string(integer());
    }
    if (isBytes()) {
        static constexpr char digits[] = "0123456789ABCDEF";
        std::string form;
        for (const std::uint8_t byte : bytes()) {
            if (!form.empty()) {
                form += ' ';
            }
            form += digits[byte >> 4];
            form += digits[byte & 0x0F];
        }
        return form;
    }
    return {};
}

std::int32_t storedTextType(std::string_view text) {
    const std::size_t first = text.find('%');
    if (first != std::string_view::npos && text.find('%', first + 2) != std::string_view::npos) {
        return regExpandSz;
    }
    return regSz;
}

std::int32_t reverseByteOrder(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    const std::uint32_t reversed =
        (bits >> 24) | ((bits >> 8) & 0x0000FF00u) | ((bits << 8) & 0x00FF0000u) | (bits << 24);
    return static_cast<std::int32_t>(reversed);
}

std::string registryErrorSource(std::string_view exeName) {
    return std::string(exeName) + ".cRegistry";
}

namespace {

// "'<root>',Section: '<section>" — the part that most descriptions share.
std::string rootAndSection(std::int32_t classKey, std::string_view sectionKey) {
    return "'" + std::to_string(classKey) + "',Section: '" + std::string(sectionKey);
}

} // namespace

std::string createKeyFailure(std::string_view sectionKey) {
    return "Failed to create registry Key: '" + std::string(sectionKey);
}

std::string deleteKeyFailure(std::int32_t classKey, std::string_view sectionKey) {
    return "Failed to delete registry Key: " + rootAndSection(classKey, sectionKey);
}

std::string openForDeleteFailure(std::int32_t classKey, std::string_view sectionKey) {
    return "Failed to open key " + rootAndSection(classKey, sectionKey) + "' for delete access";
}

std::string deleteValueFailure(std::int32_t classKey, std::string_view sectionKey, std::string_view valueKey) {
    return "Failed to delete registry Key: " + rootAndSection(classKey, sectionKey) + "',Key: '" +
           std::string(valueKey);
}

std::string setValueFailure(std::int32_t classKey, std::string_view sectionKey, std::string_view valueKey,
                            const RegistryValue& value) {
    return "Failed to set registry value Key: " + rootAndSection(classKey, sectionKey) + "',Key: '" +
           std::string(valueKey) + "' to value: '" + value.textForm() + "'";
}

std::string quotedExePath(std::string_view path) {
    const std::size_t first = path.find_first_not_of(' ');
    const std::size_t last = path.find_last_not_of(' ');
    std::string quoted =
        first == std::string_view::npos ? std::string() : std::string(path.substr(first, last - first + 1));
    if (quoted.empty() || quoted.front() != '"') {
        quoted.insert(quoted.begin(), '"');
    }
    if (quoted.back() != '"') {
        quoted += '"';
    }
    return quoted;
}

} // namespace quellary
