// Text services on the Windows API. The ANSI code page is the system's
// (GetACP) unless a test pins another; conversion goes through
// MultiByteToWideChar and WideCharToMultiByte, ignore-case equality through
// CompareString with NORM_IGNORECASE and the tree's order through lstrcmp, so
// the program sorts and matches exactly as the rest of the system does.
//
// With the system's own code page and locale in force the ANSI functions are
// called directly; a pinned code page or locale decodes first and calls their
// wide twins, which the ANSI ones are built on.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <optional>
#include <string>

#include "platform/Ascii.h"
#include "platform/Console.h"
#include "platform/Text.h"

namespace kvr::platform {

namespace {

std::atomic<unsigned> pinnedCodePage{0};  // 0: the system's
std::atomic<LCID> pinnedLocale{0};        // 0: the user's

constexpr unsigned kUtf8 = CP_UTF8;

unsigned CodePage() {
    unsigned pinned = pinnedCodePage.load(std::memory_order_acquire);
    return pinned != 0 ? pinned : ::GetACP();
}

LCID CollationLocale() {
    LCID pinned = pinnedLocale.load(std::memory_order_acquire);
    return pinned != 0 ? pinned : LOCALE_USER_DEFAULT;
}

// Whether the calls may go to the ANSI functions as they are.
bool SystemDefaults() {
    return pinnedCodePage.load() == 0 && pinnedLocale.load() == 0;
}

// "UTF-8", "windows-950", "cp950", "ibm-950", "950" → the code page number;
// 0 for a name that is none of these.
unsigned CodePageNumber(std::string_view name) {
    std::string lower = AsciiLower(name);
    if (lower == "utf-8" || lower == "utf8") {
        return kUtf8;
    }
    for (std::string_view prefix : {"windows-", "cp", "ibm-"}) {
        if (lower.starts_with(prefix)) {
            lower.erase(0, prefix.size());
            break;
        }
    }
    if (lower.empty() ||
        !std::all_of(lower.begin(), lower.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return 0;
    }
    unsigned number = static_cast<unsigned>(std::stoul(lower));
    return ::IsValidCodePage(number) ? number : 0;
}

const wchar_t* Wide(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

int Length(size_t n) {
    return static_cast<int>(std::min<size_t>(n, 0x7FFFFFFF));
}

std::u16string Decode(unsigned cp, std::string_view ansi, DWORD flags = 0) {
    if (ansi.empty()) {
        return {};
    }
    int n = ::MultiByteToWideChar(cp, flags, ansi.data(), Length(ansi.size()), nullptr, 0);
    std::u16string out(static_cast<size_t>(std::max(n, 0)), u'\0');
    if (n > 0) {
        ::MultiByteToWideChar(cp, flags, ansi.data(), Length(ansi.size()),
                              reinterpret_cast<wchar_t*>(out.data()), n);
    }
    return out;
}

// Code pages whose conversion takes neither WC_NO_BEST_FIT_CHARS nor the
// used-default flag: WideCharToMultiByte fails outright when given them.
bool TakesNoFlags(unsigned cp) {
    return cp == 42 || cp == 52936 || cp == 54936 || (cp >= 50220 && cp <= 50229) ||
           (cp >= 57002 && cp <= 57011) || cp == 65000 || cp == kUtf8;
}

// The text in the code page, or nothing when the conversion fails; lost
// tells whether a character the code page cannot hold was replaced (a failed
// conversion counts as lost too: it is never an empty text).
std::optional<std::string> EncodeUnits(unsigned cp, std::u16string_view text, bool* lost) {
    if (lost != nullptr) {
        *lost = false;
    }
    if (text.empty()) {
        return std::string();
    }
    auto wide = reinterpret_cast<const wchar_t*>(text.data());
    const bool plain = TakesNoFlags(cp);
    DWORD flags = plain ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* used = plain ? nullptr : &usedDefault;
    int n = ::WideCharToMultiByte(cp, flags, wide, Length(text.size()), nullptr, 0, nullptr, used);
    std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n <= 0 || ::WideCharToMultiByte(cp, flags, wide, Length(text.size()), out.data(), n,
                                        nullptr, used) != n) {
        if (lost != nullptr) {
            *lost = true;
        }
        return std::nullopt;
    }
    if (lost != nullptr) {
        // Without the flags a missing character shows only in the way back
        // (UTF-8 holds them all; its lone surrogates are checked elsewhere).
        *lost = usedDefault != FALSE || (plain && cp != kUtf8 && Decode(cp, out) != text);
    }
    return out;
}

// Code pages whose decoding takes no flags, MB_ERR_INVALID_CHARS included:
// their texts are checked by the way back instead. They are stateful (escape
// sequences, UTF-7), so their bytes cannot be judged one character at a time.
bool DecodesWithoutFlags(unsigned cp) {
    return cp == 42 || (cp >= 50220 && cp <= 50229) || (cp >= 57002 && cp <= 57011) || cp == 65000;
}

// Whether the bytes are text of the code page.
bool ValidIn(unsigned cp, std::string_view ansi) {
    if (ansi.empty()) {
        return true;
    }
    if (!DecodesWithoutFlags(cp)) {
        return ::MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, ansi.data(), Length(ansi.size()),
                                     nullptr, 0) > 0;
    }
    const std::u16string wide = Decode(cp, ansi);
    return !wide.empty() && EncodeUnits(cp, wide, nullptr) == std::string(ansi);
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c < 0xDC00;
}

bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c < 0xE000;
}

// The UTF-16 units of the character at i: 2 for a surrogate pair, else 1.
size_t CharUnits(std::u16string_view text, size_t i) {
    return i + 1 < text.size() && IsHighSurrogate(text[i]) && IsLowSurrogate(text[i + 1]) ? 2 : 1;
}

// The index of the first character the code page cannot hold (a lone
// surrogate included), or npos.
size_t FirstUnstorableIn(unsigned cp, std::u16string_view text) {
    bool lost = false;
    EncodeUnits(cp, text, &lost);
    bool lone = false;
    for (size_t i = 0; i < text.size() && !lone; i += CharUnits(text, i)) {
        lone =
            IsHighSurrogate(text[i]) || IsLowSurrogate(text[i]) ? CharUnits(text, i) == 1 : false;
    }
    if (!lost && !lone && text.find(u'\uFFFD') == std::u16string_view::npos) {
        return kAllStorable;
    }
    for (size_t i = 0; i < text.size();) {
        size_t n = CharUnits(text, i);
        // U+FFFD marks bytes that could not be read: storing it would put
        // the mark in place of the bytes.
        if ((n == 1 && (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i]))) ||
            text[i] == u'\uFFFD') {
            return i;
        }
        bool missing = false;
        EncodeUnits(cp, text.substr(i, n), &missing);
        if (missing) {
            return i;
        }
        i += n;
    }
    return kAllStorable;
}

struct CodePageShape {
    unsigned cp = 0;
    bool doubleByte = false;
};

CodePageShape Shape(unsigned cp) {
    CPINFO info{};
    CodePageShape shape;
    shape.cp = cp;
    shape.doubleByte = cp != kUtf8 && ::GetCPInfo(cp, &info) && info.MaxCharSize == 2;
    return shape;
}

// The number of bytes of the character that starts text, by the code page's
// own rules (not yet checked for being a character).
size_t CharBytes(const CodePageShape& shape, std::string_view text) {
    auto lead = static_cast<unsigned char>(text[0]);
    size_t n = 1;
    if (shape.cp == kUtf8) {
        n = lead < 0xC2 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 1;
    } else if (shape.doubleByte && ::IsDBCSLeadByteEx(shape.cp, lead)) {
        n = 2;
    }
    return std::min(n, text.size());
}

// The text decoded with every byte that forms no character of the code page
// turned into U+DC80..U+DCFF, so two different malformed texts never decode
// alike. escaped tells whether any byte was.
std::u16string DecodeEscaping(std::string_view ansi, bool& escaped, bool replace = false) {
    unsigned cp = CodePage();
    escaped = false;
    if (ValidIn(cp, ansi)) {
        return Decode(cp, ansi);
    }
    if (DecodesWithoutFlags(cp)) {
        escaped = true;
        return Decode(cp, ansi);
    }
    CodePageShape shape = Shape(cp);
    std::u16string out;
    while (!ansi.empty()) {
        size_t n = CharBytes(shape, ansi);
        wchar_t wide[4];
        int got = ::MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, ansi.data(), static_cast<int>(n),
                                        wide, 4);
        if (got > 0) {
            out.append(reinterpret_cast<const char16_t*>(wide), static_cast<size_t>(got));
        } else {
            n = 1;
            out += replace ? u'\uFFFD'
                           : static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(ansi[0]));
            escaped = true;
        }
        ansi.remove_prefix(n);
    }
    return out;
}

std::u16string MapString(LCID locale, DWORD flags, const std::u16string& text) {
    if (text.empty()) {
        return {};
    }
    int n = ::LCMapStringW(locale, flags, Wide(text), Length(text.size()), nullptr, 0);
    std::u16string out(static_cast<size_t>(std::max(n, 0)), u'\0');
    if (n > 0) {
        ::LCMapStringW(locale, flags, Wide(text), Length(text.size()),
                       reinterpret_cast<wchar_t*>(out.data()), n);
    }
    return out;
}

// A sort key, as bytes; its final NUL left off.
std::string SortKey(LCID locale, DWORD flags, const std::u16string& text) {
    std::string key;
    int n =
        ::LCMapStringW(locale, LCMAP_SORTKEY | flags, Wide(text), Length(text.size()), nullptr, 0);
    if (n > 0) {
        key.resize(static_cast<size_t>(n));
        ::LCMapStringW(locale, LCMAP_SORTKEY | flags, Wide(text), Length(text.size()),
                       reinterpret_cast<wchar_t*>(key.data()), n);
        while (!key.empty() && key.back() == '\0') {
            key.pop_back();
        }
    }
    return key;
}

bool EqualsAsciiIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiLower(x) == AsciiLower(y);
           });
}

}  // namespace

bool SetAnsiCodePage(std::string_view name) {
    unsigned number = name.empty() ? 0 : CodePageNumber(name);
    if (!name.empty() && number == 0) {
        return false;
    }
    pinnedCodePage.store(number, std::memory_order_release);
    return true;
}

std::string AnsiCodePage() {
    unsigned cp = CodePage();
    return cp == kUtf8 ? "UTF-8" : "windows-" + std::to_string(cp);
}

// The system would show a byte that is no character as its default
// character ('?', or U+30FB): U+FFFD says plainly that something is missing.
std::u16string AnsiToUnicode(std::string_view ansi) {
    bool escaped = false;
    return DecodeEscaping(ansi, escaped, true);
}

bool IsValidAnsi(std::string_view ansi) {
    return ValidIn(CodePage(), ansi);
}

std::size_t FirstUnstorable(std::u16string_view text) {
    return FirstUnstorableIn(CodePage(), text);
}

std::optional<std::string> UnicodeToAnsi(std::u16string_view text) {
    unsigned cp = CodePage();
    if (FirstUnstorableIn(cp, text) != kAllStorable) {
        return std::nullopt;
    }
    return EncodeUnits(cp, text, nullptr);
}

std::string Utf16ToUtf8(std::u16string_view text) {
    return EncodeUnits(kUtf8, text, nullptr).value_or(std::string());
}

// The terminal's text is in the system's ANSI code page: that is how Windows
// hands a console program its arguments.
bool TerminalIsAnsi() {
    return CodePage() == ::GetACP();
}

std::u16string TerminalToUnicode(std::string_view text) {
    return Decode(::GetACP(), text);
}

std::string UnicodeToTerminal(std::u16string_view text) {
    std::string out;
    int n = ::WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text.data()),
                                  Length(text.size()), nullptr, 0, nullptr, nullptr);
    if (n > 0) {
        out.resize(static_cast<size_t>(n));
        ::WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text.data()),
                              Length(text.size()), out.data(), n, nullptr, nullptr);
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    return Decode(kUtf8, text);
}

// Two texts are equal ignoring case exactly when CompareString says so, and
// then their NORM_IGNORECASE sort keys are equal too: the folding is that key.
// A text with bytes that form no character has no key that tells it apart;
// it folds to a marker and its lower-case decoding, escapes included.
std::u16string FoldCase(std::string_view ansi) {
    bool escaped = false;
    std::u16string decoded = DecodeEscaping(ansi, escaped);
    if (escaped) {
        return u'\xFFFF' + MapString(CollationLocale(), LCMAP_LOWERCASE, decoded);
    }
    std::string key = SortKey(CollationLocale(), NORM_IGNORECASE, decoded);
    if (key.size() % 2 != 0) {
        key += '\0';
    }
    std::u16string out(key.size() / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(key[2 * i]) << 8 |
                                       static_cast<unsigned char>(key[2 * i + 1]));
    }
    return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a == b) {
        return true;
    }
    if (IsAscii(a) && IsAscii(b)) {
        // Every code page the program meets keeps ASCII as ASCII.
        return EqualsAsciiIgnoreCase(a, b);
    }
    bool escapedA = false;
    bool escapedB = false;
    std::u16string ua = DecodeEscaping(a, escapedA);
    std::u16string ub = DecodeEscaping(b, escapedB);
    if (escapedA || escapedB) {
        return FoldCase(a) == FoldCase(b);
    }
    if (SystemDefaults()) {
        return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), Length(a.size()),
                                b.data(), Length(b.size())) == CSTR_EQUAL;
    }
    return ::CompareStringW(CollationLocale(), NORM_IGNORECASE, Wide(ua), Length(ua.size()),
                            Wide(ub), Length(ub.size())) == CSTR_EQUAL;
}

void SetCollationLocale(std::string_view locale) {
    LCID lcid = 0;
    if (!locale.empty()) {
        // "zh_TW" and "zh-TW" alike; anything the system does not know
        // (the C locale among them) takes the invariant order.
        std::string name(locale);
        name = name.substr(0, name.find_first_of(".@"));
        std::replace(name.begin(), name.end(), '_', '-');
        std::u16string wide(name.begin(), name.end());
        lcid = ::LocaleNameToLCID(Wide(wide), 0);
        if (lcid == 0) {
            lcid = LOCALE_INVARIANT;
        }
    }
    pinnedLocale.store(lcid, std::memory_order_release);
}

std::string CollationKey(std::u16string_view text) {
    return SortKey(CollationLocale(), 0, std::u16string(text));
}

bool EndsWithSingleByte(std::string_view text, char c) {
    if (text.empty() || text.back() != c) {
        return false;
    }
    CodePageShape shape = Shape(CodePage());
    if (shape.cp == kUtf8) {
        // Every byte of a multi-byte UTF-8 sequence is 0x80 or above.
        return static_cast<unsigned char>(c) < 0x80;
    }
    if (!shape.doubleByte) {
        return true;
    }
    size_t last = 0;
    for (size_t i = 0; i < text.size(); i += CharBytes(shape, text.substr(i))) {
        last = i;
    }
    return last == text.size() - 1;
}

}  // namespace kvr::platform
