#include "windows/about_text.h"

namespace quellary {

std::optional<std::string> keyValueText(std::string_view data, unsigned long type) {
    if (type == keyTypeString) {
        if (!data.empty() && data.back() == '\0') {
            data.remove_suffix(1);
        }
        return std::string(data);
    }
    if (type == keyTypeNumber) {
        // Every byte counts here, a high zero byte too: the number always shows all its digits.
        constexpr char digits[] = "0123456789ABCDEF";
        std::string text = "&h";
        for (auto byte = data.rbegin(); byte != data.rend(); ++byte) {
            const auto value = static_cast<unsigned char>(*byte);
            text.push_back(digits[value >> 4]);
            text.push_back(digits[value & 0x0F]);
        }
        return text;
    }
    return std::nullopt;
}

} // namespace quellary
