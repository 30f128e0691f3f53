// UTF-8 as the property-list readers and writers take it: the shortest form only, no
// surrogate halves, nothing beyond U+10FFFF. Internal to the platform layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vornex::utf8 {

// Decodes the character starting at text[at] into `cp` and moves `at` past it; false (and
// `at` unchanged) when the bytes there are not a valid character.
inline bool next(std::string_view text, std::size_t& at, std::uint32_t& cp) {
    const auto c = static_cast<unsigned char>(text[at]);
    int n = 0;
    if (c < 0x80) {
        cp = c;
    } else if ((c & 0xE0) == 0xC0) {
        cp = c & 0x1F;
        n = 1;
    } else if ((c & 0xF0) == 0xE0) {
        cp = c & 0x0F;
        n = 2;
    } else if ((c & 0xF8) == 0xF0) {
        cp = c & 0x07;
        n = 3;
    } else {
        return false;
    }
    if (text.size() - at <= static_cast<std::size_t>(n)) return false;
    for (int k = 1; k <= n; ++k) {
        const auto d = static_cast<unsigned char>(text[at + k]);
        if ((d & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (d & 0x3F);
    }
    // Overlong forms would not come back as they were through UTF-16.
    static constexpr std::uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    at += static_cast<std::size_t>(n) + 1;
    return true;
}

// Offset of the first byte that does not start a valid character; text.size() when all do.
inline std::size_t firstInvalid(std::string_view text) {
    std::size_t at = 0;
    for (std::uint32_t cp = 0; at < text.size();)
        if (!next(text, at, cp)) break;
    return at;
}

// The text for a message: up to 40 bytes, others than printable ASCII as \xNN.
inline std::string quoted(std::string_view s) {
    static const char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (std::size_t i = 0; i < s.size() && i < 40; ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out.push_back(static_cast<char>(c));
        } else {
            out += "\\x";
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        }
    }
    return out + (s.size() > 40 ? "...\"" : "\"");
}

// Why a property list cannot hold the text as it is: a zero character (the readers stop
// there) or bytes that are not UTF-8 (the readers refuse them); empty when it can.
inline std::string refusedText(std::string_view s) {
    if (s.find('\0') != std::string_view::npos)
        return "the text " + quoted(s) + " holds a zero character";
    if (firstInvalid(s) != s.size()) return "the text " + quoted(s) + " is not valid UTF-8";
    return {};
}

}  // namespace vornex::utf8
