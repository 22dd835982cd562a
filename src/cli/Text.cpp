#include "cli/Text.h"

#include <algorithm>

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

namespace {

// A string's JSON as the dump writes it without ensure_ascii: the quote, the
// backslash and control characters escaped, everything else as it is.
void AppendJsonString(std::string& out, std::string_view utf8) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out += '"';
    std::size_t plain = 0;  // the start of the run not escaped yet
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x20 && c != '"' && c != '\\') {
            continue;
        }
        out.append(utf8, plain, i - plain);
        plain = i + 1;
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += "\\u00";
                out += kDigits[c >> 4];
                out += kDigits[c & 0x0F];
                break;
        }
    }
    out.append(utf8, plain, utf8.size() - plain);
    out += '"';
}

}  // namespace

JsonTextWriter::JsonTextWriter() {
    // Every ASCII character but NUL, alone and all together, must read as
    // itself and be text of the code page.
    std::string all;
    asciiIsItself_ = true;
    for (int c = 1; c < 0x80 && asciiIsItself_; ++c) {
        const std::string one(1, static_cast<char>(c));
        asciiIsItself_ = IsCodePageText(one) && Utf8(one) == one;
        all += one;
    }
    asciiIsItself_ = asciiIsItself_ && IsCodePageText(all) && Utf8(all) == all;
}

void JsonTextWriter::Append(std::string& out, std::string_view ansi,
                            std::string_view indent) const {
    const bool ascii = std::all_of(ansi.begin(), ansi.end(), [](char c) {
        return static_cast<unsigned char>(c) - 1u < 0x7Fu;  // 0x01..0x7F
    });
    if (asciiIsItself_ && ascii) {
        AppendJsonString(out, ansi);
        return;
    }
    if (IsCodePageText(ansi)) {
        AppendJsonString(out, Utf8(ansi));
        return;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    out.append("{\n").append(indent).append("  \"hex\": \"");
    for (unsigned char byte : ansi) {
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0x0F];
    }
    out.append("\"\n").append(indent).append("}");
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
