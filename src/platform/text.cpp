#include "platform/text.h"

#include <initializer_list>

namespace quellary {

namespace {

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view littleEndianMark = "\xFF\xFE";
constexpr std::string_view bigEndianMark = "\xFE\xFF";

// The length of the well-formed sequence that starts at `pos`, or 0.
std::size_t sequenceLength(std::string_view bytes, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    // The second byte's range excludes overlong forms, surrogates and code points past U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (pos + length > bytes.size() || byte(pos + 1) < low || byte(pos + 1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(pos + i) < 0x80 || byte(pos + i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

void appendUtf8(std::string& text, char32_t c) {
    const auto byte = [&](char32_t b) { text.push_back(static_cast<char>(b)); };
    if (c < 0x80) {
        byte(c);
    } else if (c < 0x800) {
        byte(0xC0 | c >> 6);
        byte(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        byte(0xE0 | c >> 12);
        byte(0x80 | (c >> 6 & 0x3F));
        byte(0x80 | (c & 0x3F));
    } else {
        byte(0xF0 | c >> 18);
        byte(0x80 | (c >> 12 & 0x3F));
        byte(0x80 | (c >> 6 & 0x3F));
        byte(0x80 | (c & 0x3F));
    }
}

// UTF-16 code units after the byte-order mark.
std::string utf8FromUtf16(std::string_view units, bool bigEndian) {
    const auto unit = [&](std::size_t pos) -> char32_t {
        const auto first = static_cast<unsigned char>(units[pos]);
        const auto second = static_cast<unsigned char>(units[pos + 1]);
        return bigEndian ? first << 8 | second : second << 8 | first;
    };
    const auto isHigh = [](char32_t u) { return u >= 0xD800 && u <= 0xDBFF; };
    const auto isLow = [](char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; };
    std::string text;
    std::size_t pos = 0;
    for (; pos + 1 < units.size(); pos += 2) {
        const char32_t u = unit(pos);
        if (isHigh(u) && pos + 3 < units.size() && isLow(unit(pos + 2))) {
            appendUtf8(text, 0x10000 + ((u - 0xD800) << 10) + (unit(pos + 2) - 0xDC00));
            pos += 2;
        } else {
            appendUtf8(text, isHigh(u) || isLow(u) ? U'?' : u);
        }
    }
    if (pos < units.size()) {
        text.push_back('?');
    }
    return text;
}

} // namespace

std::optional<std::string_view> asUtf8Text(std::string_view bytes) {
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t length = sequenceLength(bytes, pos);
        if (length == 0) {
            return std::nullopt;
        }
        pos += length;
    }
    if (bytes.starts_with(byteOrderMark)) {
        bytes.remove_prefix(byteOrderMark.size());
    }
    return bytes;
}

std::optional<std::string> unicodeTextAsUtf8(std::string_view bytes) {
    for (const bool bigEndian : {false, true}) {
        if (bytes.starts_with(bigEndian ? bigEndianMark : littleEndianMark)) {
            return utf8FromUtf16(bytes.substr(2), bigEndian);
        }
    }
    if (const std::optional<std::string_view> text = asUtf8Text(bytes)) {
        return std::string(*text);
    }
    return std::nullopt;
}

} // namespace quellary
