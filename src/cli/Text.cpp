#include "cli/Text.h"

#include <nlohmann/json.hpp>

#include "cli/AliasStore.h"
#include "platform/Text.h"

namespace kvr::cli {

std::string Utf8(std::string_view ansi) {
    return platform::Utf16ToUtf8(platform::AnsiToUnicode(ansi));
}

std::string Utf8(std::u16string_view text) {
    return platform::Utf16ToUtf8(text);
}

bool IsCodePageText(std::string_view ansi) {
    return platform::UnicodeToAnsi(platform::AnsiToUnicode(ansi)) == ansi;
}

std::optional<std::string> AnsiFromUtf8(std::string_view utf8, std::string* lost) {
    const std::u16string text = platform::Utf8ToUtf16(utf8);
    std::string ansi = platform::UnicodeToAnsi(text);
    if (platform::AnsiToUnicode(ansi) == text) {
        return ansi;
    }
    if (lost != nullptr) {
        // The first character that does not come back.
        std::size_t i = 0;
        while (i < text.size()) {
            std::size_t n = (i + 1 < text.size() && text[i] >= 0xD800 && text[i] < 0xDC00) ? 2 : 1;
            std::u16string_view one(text.data() + i, n);
            if (platform::AnsiToUnicode(platform::UnicodeToAnsi(one)) != one) {
                *lost = Utf8(one);
                break;
            }
            i += n;
        }
    }
    return std::nullopt;
}

std::string FromTerminal(std::string_view text) {
    return std::string(text);
}

std::string ToTerminal(std::string_view ansi) {
    return std::string(ansi);
}

nlohmann::ordered_json TextToJson(std::string_view ansi) {
    if (IsCodePageText(ansi)) {
        return Utf8(ansi);
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(ansi.size() * 2);
    for (unsigned char byte : ansi) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0F];
    }
    return nlohmann::ordered_json{{"hex", hex}};
}

namespace {

int HexDigit(char c) {
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

}  // namespace

std::string TextFromJson(const nlohmann::ordered_json& value, std::string_view what) {
    if (value.is_string()) {
        std::string lost;
        if (auto ansi = AnsiFromUtf8(value.get_ref<const std::string&>(), &lost)) {
            return *ansi;
        }
        throw Refusal(std::string(what) + ": \"" + lost + "\" cannot be stored in code page " +
                      platform::AnsiCodePage());
    }
    if (value.is_object() && value.size() == 1 && value.contains("hex") &&
        value["hex"].is_string()) {
        const std::string& hex = value["hex"].get_ref<const std::string&>();
        std::string bytes;
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
            int high = HexDigit(hex[i]);
            int low = HexDigit(hex[i + 1]);
            if (high < 0 || low < 0) {
                break;
            }
            bytes += static_cast<char>(high * 16 + low);
        }
        if (bytes.size() * 2 == hex.size()) {
            return bytes;
        }
        throw Refusal(std::string(what) + ": \"hex\" must hold pairs of hex digits");
    }
    throw Refusal(std::string(what) + ": expected a string or {\"hex\": \"...\"}");
}

}  // namespace kvr::cli
