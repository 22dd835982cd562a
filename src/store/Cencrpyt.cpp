#include "store/Cencrpyt.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/Ascii.h"
#include "platform/Errors.h"

namespace kvr {

namespace {

constexpr int kKeyOffset = 24;
constexpr int kValueOffset = 16;

void AppendItem(std::string& out, unsigned number) {
    static constexpr char kDigits[] = "0123456789abcdef";
    number &= 0xFF;
    out += kDigits[number >> 4];
    out += kDigits[number & 0xF];
}

// The number "0x" + item stands for: one or two hex digits and nothing else.
bool ReadItem(std::string_view item, int& number) {
    if (item.empty()) {
        return false;
    }
    number = 0;
    for (char c : item) {
        int digit = platform::HexDigit(c);
        if (digit < 0) {
            return false;
        }
        number = number * 16 + digit;
    }
    return true;
}

// HexDigit of every byte, looked up.
constexpr std::array<signed char, 256> kHexDigits = [] {
    std::array<signed char, 256> digits{};
    for (int c = 0; c < 256; ++c) {
        digits[static_cast<std::size_t>(c)] =
            static_cast<signed char>(platform::HexDigit(static_cast<char>(c)));
    }
    return digits;
}();

int ReadHeaderItem(std::string_view item) {
    int number = 0;
    return ReadItem(item, number) ? number : 0;
}

}  // namespace

std::string CEncrpyt::Encrypt(std::string_view key, std::string_view value) const {
    if (value.size() > kMaxValueLength) {
        throw ConvertError("Value is too long to store (" + std::to_string(value.size()) +
                           " bytes; at most " + std::to_string(kMaxValueLength) + ")");
    }
    if (key.empty()) {
        key = "ZEPHIN";
    }
    key = key.substr(0, kMaxKeyLength);

    std::string out;
    out.reserve(4 + 4 * value.size());
    AppendItem(out, static_cast<unsigned>(key.size() + kKeyOffset));
    AppendItem(out, static_cast<unsigned>(value.size() + kValueOffset));
    size_t k = 0;
    for (char c : value) {
        // Bytes unsigned and items mod 256: every item keeps two digits, and
        // the reader's "low 8 bits of item - 16" gives the byte back.
        AppendItem(out, static_cast<unsigned char>(c) + kValueOffset);
        if (k < key.size()) {
            AppendItem(out, static_cast<unsigned char>(key[k]) + kKeyOffset);
            ++k;
        }
    }
    return out;
}

std::string CEncrpyt::Decrypt(std::string_view stored) const {
    auto part = [&](size_t from, size_t count) {
        return from < stored.size() ? stored.substr(from, count) : std::string_view();
    };
    const int keyCount = ReadHeaderItem(part(0, 2)) - kKeyOffset;
    const int valueCount = ReadHeaderItem(part(2, 2)) - kValueOffset;
    const std::string_view body = part(4, std::string_view::npos);

    // The header's item has two hex digits at most: never more than 255 bytes.
    char value[256];
    size_t length = 0;
    size_t p = 0;
    int skipped = 0;
    for (int i = 0; i < valueCount; ++i) {
        // Nearly every item is two hex digits; anything else takes the full reading.
        const int high = p < body.size() ? kHexDigits[static_cast<unsigned char>(body[p])] : -1;
        const int low =
            p + 1 < body.size() ? kHexDigits[static_cast<unsigned char>(body[p + 1])] : -1;
        int number = high * 16 + low;
        if (high < 0 || low < 0) {
            std::string_view item = p < body.size() ? body.substr(p, 2) : std::string_view();
            if (!ReadItem(item, number)) {
                throw ConvertError("'0x" + std::string(item) + "' is not a valid integer value");
            }
        }
        // A byte of 0 adds nothing; the item still counts.
        if (char byte = static_cast<char>((number - kValueOffset) & 0xFF); byte != '\0') {
            value[length++] = byte;
        }
        if (skipped < keyCount) {
            ++skipped;
            p += 4;
        } else {
            p += 2;
        }
    }
    return std::string(value, length);
}

std::string CEncrpyt::ReEncrypt(std::string_view stored, std::string_view value,
                                std::string_view freshKey, bool* tookFresh) const {
    auto item = [&](size_t at) {
        int number = 0;
        return at + 2 <= stored.size() && ReadItem(stored.substr(at, 2), number) ? number : -1;
    };
    const int keyCount = item(0) - kKeyOffset;
    const int valueCount = item(2) - kValueOffset;
    auto fresh = [&] {
        if (tookFresh != nullptr) {
            *tookFresh = true;
        }
        return Encrypt(freshKey, value);
    };
    if (keyCount <= 0 || static_cast<size_t>(keyCount) > kMaxKeyLength || valueCount < 0) {
        return fresh();
    }
    // The key's bytes follow the first value items, one after each.
    std::string key;
    for (int i = 0; i < std::min(keyCount, valueCount); ++i) {
        const int number = item(4 + 4 * static_cast<size_t>(i) + 2);
        if (number < 0) {
            break;
        }
        key += static_cast<char>((number - kKeyOffset) & 0xFF);
    }
    const size_t needed = std::min(value.size(), static_cast<size_t>(keyCount));
    if (key.size() < needed) {
        return fresh();
    }
    // Key bytes past the new value are never written; only the key's length
    // shows. Any filler keeps it.
    key.resize(static_cast<size_t>(keyCount), ' ');
    return Encrypt(key, value);
}

}  // namespace kvr
