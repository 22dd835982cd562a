#include "cli/Text.h"

#include <nlohmann/json.hpp>

#include "cli/AliasStore.h"
#include "platform/Ascii.h"
#include "platform/Console.h"
#include "platform/Text.h"
#include "texts/Texts.h"

namespace kvr::cli {

namespace {

bool terminalIsAnsi = true;

std::string Unstorable(std::string_view what, const std::string& character) {
    return texts::Say(KVR_TEXT("kvrcfg",
                               "%1: the character \"%2\" cannot be stored in the machine's code "
                               "page (%3)"),
                      {what, character, platform::AnsiCodePage()});
}

}  // namespace

std::string Utf8(std::string_view ansi) {
    return platform::Utf16ToUtf8(platform::AnsiToUnicode(ansi));
}

std::string Utf8(std::u16string_view text) {
    return platform::Utf16ToUtf8(text);
}

bool IsCodePageText(std::string_view ansi) {
    return platform::IsValidAnsi(ansi) &&
           platform::UnicodeToAnsi(platform::AnsiToUnicode(ansi)) == ansi;
}

namespace {

std::optional<std::string> AnsiFromUnicode(std::u16string_view text, std::string* lost) {
    if (auto ansi = platform::UnicodeToAnsi(text)) {
        return ansi;
    }
    if (lost != nullptr) {
        *lost = Utf8(platform::CharacterAt(text, platform::FirstUnstorable(text)));
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> AnsiFromUtf8(std::string_view utf8, std::string* lost) {
    return AnsiFromUnicode(platform::Utf8ToUtf16(utf8), lost);
}

void SetTerminalIsAnsi(bool same) {
    terminalIsAnsi = same;
}

std::string FromTerminal(std::string_view text, std::string_view what) {
    if (terminalIsAnsi) {
        return std::string(text);
    }
    std::string lost;
    if (auto ansi = AnsiFromUnicode(platform::TerminalToUnicode(text), &lost)) {
        return *ansi;
    }
    throw Refusal(Unstorable(what, lost));
}

std::string ToTerminal(std::string_view ansi) {
    if (terminalIsAnsi) {
        return std::string(ansi);
    }
    return platform::UnicodeToTerminal(platform::AnsiToUnicode(ansi));
}

std::string Message(std::string_view utf8) {
    return platform::UnicodeToTerminal(platform::Utf8ToUtf16(utf8));
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

std::string TextFromJson(const nlohmann::ordered_json& value, std::string_view what) {
    if (value.is_string()) {
        std::string lost;
        if (auto ansi = AnsiFromUtf8(value.get_ref<const std::string&>(), &lost)) {
            return *ansi;
        }
        throw Refusal(Unstorable(what, lost));
    }
    if (value.is_object() && value.size() == 1 && value.contains("hex") &&
        value["hex"].is_string()) {
        const std::string& hex = value["hex"].get_ref<const std::string&>();
        std::string bytes;
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
            int high = platform::HexDigit(hex[i]);
            int low = platform::HexDigit(hex[i + 1]);
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
