#pragma once
// ASCII by the byte: hex digits, ASCII text and ASCII letter case, for the
// formats that are ASCII whatever the code page (stored values, REGEDIT4,
// connection strings, JSON's hex texts).
#include <algorithm>
#include <string>
#include <string_view>

namespace kvr::platform {

// The value of a hex digit (either case), or -1 for any other byte.
constexpr int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

inline bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string AsciiLower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) { return AsciiLower(c); });
    return out;
}

}  // namespace kvr::platform
