// The REGEDIT4 text format, over bytes in memory.
//
// The bytes are read into a list of entries, each holding the exact bytes it
// came from: a section header, a value (its line plus any continuation lines),
// or any other line (blank, comment, something we do not understand). A write
// changes or inserts exactly one entry and writes every other entry back
// untouched, so keys and values of other programs keep their bytes. Lines that
// cannot be parsed are tolerated in other keys but make the key they sit in
// unusable: rewriting it could lose what they hold.
#include "platform/RegEdit4.h"

#include <cstdio>

#include "platform/Ascii.h"

namespace kvr::platform {

namespace {

constexpr std::string_view kSignature = "REGEDIT4";
// Hex lines are wrapped before they pass this column, as the registry editor does.
constexpr std::size_t kHexWrapColumn = 76;

bool EqualsAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimSpaces(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsSpace(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// Up to maxDigits hex digits, nothing else.
std::optional<std::uint32_t> ParseHexNumber(std::string_view s, std::size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) {
        return std::nullopt;
    }
    std::uint32_t n = 0;
    for (char c : s) {
        int d = HexDigit(c);
        if (d < 0) {
            return std::nullopt;
        }
        n = n * 16 + static_cast<std::uint32_t>(d);
    }
    return n;
}

// A quoted text starting at s[0] == '"', with \\ and \" escapes. Escaping is
// bytewise: a trail byte 0x5C of a double-byte character is escaped like any
// backslash and comes back the same way. On success `rest` is what follows
// the closing quote.
std::optional<std::string> ParseQuoted(std::string_view s, std::string_view& rest) {
    std::string out;
    for (std::size_t i = 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            rest = s.substr(i + 1);
            return out;
        }
        if (c == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) {
                return std::nullopt;
            }
            c = s[++i];
        }
        out += c;
    }
    return std::nullopt;
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    out += '"';
    return out;
}

// "01,ab,ff": comma-separated bytes, continuation lines already joined.
std::optional<std::string> ParseHexBytes(std::string_view s) {
    std::string out;
    s = TrimSpaces(s);
    while (!s.empty()) {
        std::size_t comma = s.find(',');
        auto byte = ParseHexNumber(TrimSpaces(s.substr(0, comma)), 2);
        if (!byte) {
            return std::nullopt;
        }
        out += static_cast<char>(*byte);
        if (comma == s.npos) {
            break;
        }
        s.remove_prefix(comma + 1);
        if (TrimSpaces(s).empty()) {
            return std::nullopt;  // a trailing comma
        }
    }
    return out;
}

std::string FormatHex(std::string prefix, std::string_view data, std::string_view eol) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    std::string line = std::move(prefix);
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i > 0 && line.size() + 3 > kHexWrapColumn) {
            out += line;
            out += '\\';
            out += eol;
            line = "  ";
        }
        auto b = static_cast<unsigned char>(data[i]);
        line += kDigits[b >> 4];
        line += kDigits[b & 15];
        if (i + 1 < data.size()) {
            line += ',';
        }
    }
    out += line;
    out += eol;
    return out;
}

// The data part of a value line, after "=".
std::optional<RegValue> ParseData(std::string_view s) {
    s = TrimSpaces(s);
    if (!s.empty() && s.front() == '"') {
        std::string_view rest;
        auto text = ParseQuoted(s, rest);
        if (!text || !TrimSpaces(rest).empty()) {
            return std::nullopt;
        }
        return StringValue(RegType::Sz, *text);
    }
    std::size_t colon = s.find(':');
    if (colon == s.npos) {
        return std::nullopt;
    }
    std::string_view kind = TrimSpaces(s.substr(0, colon));
    std::string_view body = s.substr(colon + 1);
    if (EqualsAscii(kind, "dword")) {
        auto n = ParseHexNumber(TrimSpaces(body), 8);
        if (!n) {
            return std::nullopt;
        }
        std::string data(4, '\0');
        for (int i = 0; i < 4; ++i) {
            data[static_cast<std::size_t>(i)] = static_cast<char>((*n >> (8 * i)) & 0xFF);
        }
        return RegValue{RegType::Dword, data};
    }
    RegType type = RegType::Binary;
    if (kind.size() > 5 && EqualsAscii(kind.substr(0, 4), "hex(") && kind.back() == ')') {
        auto n = ParseHexNumber(kind.substr(4, kind.size() - 5), 8);
        if (!n) {
            return std::nullopt;
        }
        type = static_cast<RegType>(*n);
    } else if (!EqualsAscii(kind, "hex")) {
        return std::nullopt;
    }
    auto bytes = ParseHexBytes(body);
    if (!bytes) {
        return std::nullopt;
    }
    return RegValue{type, *bytes};
}

// A value's line(s), or nothing when the name cannot be written in the format.
std::optional<std::string> FormatValue(std::string_view name, const RegValue& value,
                                       std::string_view eol) {
    if (name.find_first_of("\r\n") != name.npos) {
        return std::nullopt;
    }
    std::string out = name.empty() ? std::string("@") : Quote(name);
    out += '=';
    const std::string& data = value.data;
    if (value.type == RegType::Sz && !data.empty() && data.back() == '\0' &&
        data.find_first_of(std::string_view("\0\r\n", 3)) == data.size() - 1) {
        out += Quote(std::string_view(data).substr(0, data.size() - 1));
        out += eol;
        return out;
    }
    if (value.type == RegType::Dword && data.size() == 4) {
        std::uint32_t n = 0;
        for (int i = 3; i >= 0; --i) {
            n = (n << 8) | static_cast<unsigned char>(data[static_cast<std::size_t>(i)]);
        }
        char digits[16];
        std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(n));
        out += "dword:";
        out += digits;
        out += eol;
        return out;
    }
    if (value.type == RegType::Binary) {
        out += "hex:";
    } else {
        char kind[24];
        std::snprintf(kind, sizeof kind, "hex(%x):", static_cast<unsigned>(value.type));
        out += kind;
    }
    return FormatHex(std::move(out), data, eol);
}

enum class EntryKind { Other, Section, Value, Damaged };

// A line without its CR LF or LF, or without the CR that ends a file.
std::string_view WithoutEol(std::string_view line) {
    if (!line.empty() && line.back() == '\n') {
        line.remove_suffix(1);
    }
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

}  // namespace

struct RegEdit4::Entry {
    std::string raw;  // the exact bytes, line ends included
    EntryKind kind = EntryKind::Other;
    std::string name;  // a section's key path or a value's name
    RegValue value;
};

namespace {

bool IsHexValue(std::string_view logical) {
    std::size_t eq = logical.find('=');
    if (logical.front() == '"') {
        std::string_view rest;
        if (!ParseQuoted(logical, rest)) {
            return false;
        }
        eq = rest.find('=');
        logical = rest;
    }
    if (eq == logical.npos) {
        return false;
    }
    std::string_view data = TrimSpaces(logical.substr(eq + 1));
    return data.size() >= 3 && EqualsAscii(data.substr(0, 3), "hex");
}

void ParseValueLine(std::string_view text, RegEdit4::Entry& entry) {
    entry.kind = EntryKind::Damaged;
    std::string_view rest;
    if (text.front() == '@') {
        rest = text.substr(1);
    } else {
        auto name = ParseQuoted(text, rest);
        if (!name) {
            return;
        }
        entry.name = std::move(*name);
    }
    rest = TrimSpaces(rest);
    if (rest.empty() || rest.front() != '=') {
        return;
    }
    auto value = ParseData(rest.substr(1));
    if (!value) {
        return;
    }
    entry.value = std::move(*value);
    entry.kind = EntryKind::Value;
}

}  // namespace

RegEdit4::RegEdit4() = default;
RegEdit4::~RegEdit4() = default;
RegEdit4::RegEdit4(RegEdit4&&) noexcept = default;
RegEdit4& RegEdit4::operator=(RegEdit4&&) noexcept = default;

// A key that does not exist yet, in a file to be created.
RegEdit4 RegEdit4::Empty() {
    RegEdit4 doc;
    doc.entries_.push_back({std::string(kSignature) + doc.eol_, EntryKind::Other, {}, {}});
    doc.entries_.push_back({doc.eol_, EntryKind::Other, {}, {}});
    return doc;
}

std::optional<RegEdit4> RegEdit4::Parse(std::string_view bytes) {
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        std::size_t nl = bytes.find('\n');
        std::size_t len = nl == bytes.npos ? bytes.size() : nl + 1;
        lines.push_back(bytes.substr(0, len));
        bytes.remove_prefix(len);
    }
    if (lines.empty() || WithoutEol(lines[0]) != kSignature) {
        return std::nullopt;
    }
    RegEdit4 doc;
    // New lines follow the file's own line ends.
    doc.eol_ = lines[0].substr(kSignature.size()) == "\n" ? "\n" : "\r\n";
    doc.entries_.push_back({std::string(lines[0]), EntryKind::Other, {}, {}});
    for (std::size_t i = 1; i < lines.size(); ++i) {
        Entry entry;
        entry.raw = std::string(lines[i]);
        std::string_view text = TrimSpaces(WithoutEol(lines[i]));
        if (text.empty() || text.front() == ';') {
            entry.kind = EntryKind::Other;
        } else if (text.front() == '[') {
            if (text.back() == ']') {
                entry.kind = EntryKind::Section;
                entry.name = std::string(text.substr(1, text.size() - 2));
            } else {
                entry.kind = EntryKind::Damaged;
            }
        } else if (text.front() == '"' || text.front() == '@') {
            // A hex value goes on while its lines end in a backslash.
            std::string logical(text);
            while (!logical.empty() && logical.back() == '\\' && i + 1 < lines.size() &&
                   !TrimSpaces(lines[i + 1]).starts_with('[') && IsHexValue(logical)) {
                ++i;
                entry.raw += lines[i];
                logical.pop_back();
                logical += TrimSpaces(WithoutEol(lines[i]));
            }
            ParseValueLine(logical, entry);
        } else {
            entry.kind = EntryKind::Damaged;
        }
        doc.entries_.push_back(std::move(entry));
    }
    return doc;
}

bool RegEdit4::KeyExists(std::string_view path) const {
    for (const Entry& e : entries_) {
        if (e.kind == EntryKind::Section && EqualsAscii(e.name, path)) {
            return true;
        }
    }
    return false;
}

// Whether every line of the key was understood.
bool RegEdit4::KeySound(std::string_view path) const {
    bool inKey = false;
    for (const Entry& e : entries_) {
        if (e.kind == EntryKind::Section) {
            inKey = EqualsAscii(e.name, path);
        } else if (inKey && e.kind == EntryKind::Damaged) {
            return false;
        }
    }
    return true;
}

// The value that counts when a name appears more than once: the last, as
// on import.
std::optional<RegValue> RegEdit4::FindValue(std::string_view path, std::string_view name) const {
    std::optional<std::size_t> at = FindValueIndex(path, name);
    if (!at) {
        return std::nullopt;
    }
    return entries_[*at].value;
}

bool RegEdit4::SetValue(std::string_view path, std::string_view name, const RegValue& value) {
    auto raw = FormatValue(name, value, eol_);
    if (!raw) {
        return false;
    }
    Entry entry{std::move(*raw), EntryKind::Value, std::string(name), value};
    if (auto at = FindValueIndex(path, name)) {
        entries_[*at] = std::move(entry);
        return true;
    }
    // A new value goes after the last value of the key's last section.
    std::optional<std::size_t> insertAfter;
    bool inKey = false;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        if (e.kind == EntryKind::Section) {
            inKey = EqualsAscii(e.name, path);
            if (inKey) {
                insertAfter = i;
            }
        } else if (inKey && e.kind == EntryKind::Value) {
            insertAfter = i;
        }
    }
    if (insertAfter) {
        EndLine(*insertAfter);
        entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(*insertAfter + 1),
                        std::move(entry));
        return true;
    }
    // A new key is appended as its own paragraph.
    EndLine(entries_.size() - 1);
    if (!TrimSpaces(WithoutEol(entries_.back().raw)).empty()) {
        entries_.push_back({eol_, EntryKind::Other, {}, {}});
    }
    entries_.push_back(
        {"[" + std::string(path) + "]" + eol_, EntryKind::Section, std::string(path), {}});
    entries_.push_back(std::move(entry));
    entries_.push_back({eol_, EntryKind::Other, {}, {}});
    return true;
}

std::string RegEdit4::Bytes() const {
    std::string out;
    for (const Entry& e : entries_) {
        out += e.raw;
    }
    return out;
}

std::optional<std::size_t> RegEdit4::FindValueIndex(std::string_view path,
                                                    std::string_view name) const {
    std::optional<std::size_t> found;
    bool inKey = false;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        if (e.kind == EntryKind::Section) {
            inKey = EqualsAscii(e.name, path);
        } else if (inKey && e.kind == EntryKind::Value && EqualsAscii(e.name, name)) {
            found = i;
        }
    }
    return found;
}

// A last line without its line end gets one before anything follows it.
void RegEdit4::EndLine(std::size_t i) {
    std::string& raw = entries_[i].raw;
    if (!raw.empty() && raw.back() == '\n') {
        return;
    }
    raw += (!raw.empty() && raw.back() == '\r' && eol_ == "\r\n") ? "\n" : eol_;
}

}  // namespace kvr::platform
