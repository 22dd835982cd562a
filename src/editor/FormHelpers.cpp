#include "editor/FormHelpers.h"

#include <algorithm>
#include <cstdio>

#include "platform/Text.h"

namespace kvr {

std::u16string Fill(std::u16string_view text, std::initializer_list<std::u16string> values) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::size_t n = i + 1 < text.size() ? static_cast<std::size_t>(text[i + 1] - u'1') : 9;
        if (text[i] == u'%' && n < values.size()) {
            out += *(values.begin() + n);
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::u16string TrimmedText(std::u16string_view text) {
    auto blank = [](char16_t c) { return c <= 0x20; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return std::u16string(text);
}

std::u16string Quoted(const std::u16string& character) {
    char32_t code = character.empty() ? 0 : character[0];
    if (character.size() == 2) {
        code = 0x10000 + ((static_cast<char32_t>(character[0]) - 0xD800) << 10) +
               (static_cast<char32_t>(character[1]) - 0xDC00);
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, " (U+%04X)", static_cast<unsigned>(code));
    return u"\"" + character + u"\"" + platform::AnsiToUnicode(hex);
}

std::u16string FirstControl(const std::string& name) {
    auto control = std::find_if(name.begin(), name.end(),
                                [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X",
                  control == name.end() ? 0u : static_cast<unsigned>(*control));
    return platform::AnsiToUnicode(hex);
}

}  // namespace kvr
