#include "ui/win32/Translations.h"

#include <windows.h>

#include <map>
#include <optional>
#include <string_view>
#include <utility>

namespace kvr {

extern const char kTraditionalChineseTs[];  // generated from the .ts file

namespace {

using Table = std::map<std::pair<std::string, std::string>, std::string>;

// The XML entities a .ts file uses.
std::string Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        const std::size_t end = text.find(';', i);
        if (end == std::string_view::npos) {
            out += text.substr(i);
            break;
        }
        const std::string_view entity = text.substr(i + 1, end - i - 1);
        if (entity == "amp") {
            out += '&';
        } else if (entity == "lt") {
            out += '<';
        } else if (entity == "gt") {
            out += '>';
        } else if (entity == "quot") {
            out += '"';
        } else if (entity == "apos") {
            out += '\'';
        } else if (!entity.empty() && entity[0] == '#') {
            const bool hex = entity.size() > 1 && (entity[1] == 'x' || entity[1] == 'X');
            const unsigned long code =
                std::stoul(std::string(entity.substr(hex ? 2 : 1)), nullptr, hex ? 16 : 10);
            // UTF-8 of the code point.
            if (code < 0x80) {
                out += static_cast<char>(code);
            } else if (code < 0x800) {
                out += static_cast<char>(0xC0 | (code >> 6));
                out += static_cast<char>(0x80 | (code & 0x3F));
            } else if (code < 0x10000) {
                out += static_cast<char>(0xE0 | (code >> 12));
                out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (code & 0x3F));
            } else {
                out += static_cast<char>(0xF0 | (code >> 18));
                out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
                out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (code & 0x3F));
            }
        } else {
            out += text.substr(i, end - i + 1);
        }
        i = end;
    }
    return out;
}

// The text of the first <tag ...>...</tag> in [from, to), and where it ends.
// Nothing when the element is missing or empty (<tag/>).
std::optional<std::string_view> Element(std::string_view doc, std::string_view tag,
                                        std::size_t& from, std::size_t to,
                                        std::string_view* attributes = nullptr) {
    const std::string open = "<" + std::string(tag);
    std::size_t start = doc.find(open, from);
    while (start != std::string_view::npos && start < to) {
        const char next = doc[start + open.size()];
        if (next == '>' || next == ' ' || next == '/') {
            break;
        }
        start = doc.find(open, start + 1);
    }
    if (start == std::string_view::npos || start >= to) {
        return std::nullopt;
    }
    const std::size_t headEnd = doc.find('>', start);
    if (headEnd == std::string_view::npos || headEnd >= to) {
        return std::nullopt;
    }
    if (attributes != nullptr) {
        *attributes = doc.substr(start + open.size(), headEnd - start - open.size());
    }
    if (doc[headEnd - 1] == '/') {
        from = headEnd + 1;
        return std::nullopt;
    }
    const std::string close = "</" + std::string(tag) + ">";
    const std::size_t end = doc.find(close, headEnd);
    if (end == std::string_view::npos || end > to) {
        return std::nullopt;
    }
    from = end + close.size();
    return doc.substr(headEnd + 1, end - headEnd - 1);
}

Table Parse(std::string_view doc) {
    Table table;
    std::size_t at = 0;
    while (auto context = Element(doc, "context", at, doc.size())) {
        std::size_t inner = 0;
        auto name = Element(*context, "name", inner, context->size());
        if (!name) {
            continue;
        }
        const std::string contextName = Unescape(*name);
        while (auto message = Element(*context, "message", inner, context->size())) {
            std::size_t pos = 0;
            auto source = Element(*message, "source", pos, message->size());
            std::string_view attributes;
            pos = 0;
            auto translation = Element(*message, "translation", pos, message->size(), &attributes);
            // Unfinished, obsolete and vanished entries are not shown.
            if (!source || !translation || translation->empty() ||
                attributes.find("type=") != std::string_view::npos) {
                continue;
            }
            table[{contextName, Unescape(*source)}] = Unescape(*translation);
        }
    }
    return table;
}

bool TraditionalChinese() {
    const LANGID language = ::GetUserDefaultUILanguage();
    if (PRIMARYLANGID(language) != LANG_CHINESE) {
        return false;
    }
    const WORD sub = SUBLANGID(language);
    return sub != SUBLANG_CHINESE_SIMPLIFIED && sub != SUBLANG_CHINESE_SINGAPORE;
}

std::wstring FromUtf8(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

}  // namespace

std::string TranslationIn(const std::string& ts, const std::string& context,
                          const std::string& source) {
    const Table table = Parse(ts);
    const auto found = table.find({context, source});
    return found == table.end() ? std::string() : found->second;
}

std::wstring Translated(const char* context, const char* source) {
    static const Table table = TraditionalChinese() ? Parse(kTraditionalChineseTs) : Table{};
    const auto found = table.find({context, source});
    return FromUtf8(found == table.end() ? std::string_view(source) : found->second);
}

}  // namespace kvr
