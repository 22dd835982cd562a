// Text services on ICU. The ANSI code page is the pinned one, else the locale's
// character set (the OS backend tells it); the collation locale is ICU's
// default locale (taken from the environment).
//
// Converters and collators are not safe to share between threads, and the
// connection test runs on a thread of its own, so each thread opens its own
// and reopens it when the pinned code page or locale changes (a generation
// counter tells it).
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucol.h>
#include <unicode/uloc.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/Ascii.h"
#include "platform/Text.h"
#include "platform/icu/LocaleCharset.h"

namespace kvr::platform {

namespace {

std::mutex settingsMutex;
std::string pinnedCodePage;         // guarded by settingsMutex
std::string pinnedCollationLocale;  // guarded by settingsMutex
std::atomic<unsigned> codePageGeneration{1};
std::atomic<unsigned> collationGeneration{1};

// The locale's character set. A program that never called setlocale (or runs
// under the C locale) reports ASCII; UTF-8 is its superset and what files on
// this system are written in, so it stands in for ASCII.
std::string SystemCodePage() {
    std::string name = LocaleCharacterSet();
    if (name.empty() || name == "ANSI_X3.4-1968" || name == "ASCII" || name == "US-ASCII") {
        return "UTF-8";
    }
    return name;
}

// ICU knows nearly every Windows code page as "windows-<number>"; these it
// knows only by another name.
std::string IcuName(std::string_view name) {
    if (name == "windows-28591") {
        return "ISO-8859-1";
    }
    return std::string(name);
}

std::string WantedCodePage() {
    std::lock_guard lock(settingsMutex);
    return pinnedCodePage.empty() ? SystemCodePage() : pinnedCodePage;
}

// Every character the code page lacks stops the conversion. ICU's own stop
// callback lets default-ignorable ones (U+200B, U+FEFF, a soft hyphen, ...)
// vanish instead, which would store typed text without them.
void StopOnEveryMissingCharacter(const void*, UConverterFromUnicodeArgs*, const UChar*, int32_t,
                                 UChar32, UConverterCallbackReason, UErrorCode*) {}

// Bytes that do not form a character of the code page become lone surrogates
// U+DC80..U+DCFF, one per byte, so that two different malformed texts never
// decode (and therefore never compare) alike.
void EscapeBadBytes(const void*, UConverterToUnicodeArgs* args, const char* codeUnits,
                    int32_t length, UConverterCallbackReason reason, UErrorCode* err) {
    if (reason != UCNV_UNASSIGNED && reason != UCNV_ILLEGAL && reason != UCNV_IRREGULAR) {
        return;
    }
    *err = U_ZERO_ERROR;
    for (int32_t i = 0; i < length && U_SUCCESS(*err); ++i) {
        UChar escaped = static_cast<UChar>(0xDC00 + static_cast<unsigned char>(codeUnits[i]));
        ucnv_cbToUWriteUChars(args, &escaped, 1, 0, err);
    }
}

enum class Layout {
    SingleByte,  // every byte is a character
    Utf8,        // bytes below 0x80 are always characters of their own
    DoubleByte,  // a lead byte (see starters) takes the next byte with it
    Other,       // walk with the converter
};

struct Codec {
    unsigned generation = 0;
    std::string name;
    UConverter* plain = nullptr;     // U+FFFD for bytes it cannot decode
    UConverter* escaping = nullptr;  // EscapeBadBytes
    UConverter* strict = nullptr;    // stops at the first character it cannot convert
    bool asciiCompatible = false;
    Layout layout = Layout::Other;
    std::array<UBool, 256> starters{};

    Codec() = default;
    Codec(const Codec&) = delete;
    Codec& operator=(const Codec&) = delete;
    ~Codec() { Close(); }

    void Close() {
        if (plain != nullptr) {
            ucnv_close(plain);
        }
        if (escaping != nullptr) {
            ucnv_close(escaping);
        }
        if (strict != nullptr) {
            ucnv_close(strict);
        }
        plain = escaping = strict = nullptr;
    }

    void Open(const std::string& wanted) {
        Close();
        UErrorCode err = U_ZERO_ERROR;
        plain = ucnv_open(IcuName(wanted).c_str(), &err);
        if (U_FAILURE(err) || plain == nullptr) {
            // A character set ICU does not know: UTF-8 is the best guess here.
            err = U_ZERO_ERROR;
            plain = ucnv_open("UTF-8", &err);
        }
        name = ucnv_getName(plain, &err);
        err = U_ZERO_ERROR;
        escaping = ucnv_open(name.c_str(), &err);
        ucnv_setToUCallBack(escaping, EscapeBadBytes, nullptr, nullptr, nullptr, &err);
        err = U_ZERO_ERROR;
        strict = ucnv_open(name.c_str(), &err);
        // Fallback mappings (best fit) stay off, as they are by default.
        ucnv_setToUCallBack(strict, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
        ucnv_setFromUCallBack(strict, StopOnEveryMissingCharacter, nullptr, nullptr, nullptr, &err);

        asciiCompatible = true;
        for (int b = 1; b < 0x80 && asciiCompatible; ++b) {
            char in = static_cast<char>(b);
            UChar out[4];
            err = U_ZERO_ERROR;
            int32_t n = ucnv_toUChars(plain, out, 4, &in, 1, &err);
            asciiCompatible = U_SUCCESS(err) && n == 1 && out[0] == b;
        }

        err = U_ZERO_ERROR;
        switch (ucnv_getType(plain)) {
            case UCNV_SBCS:
            case UCNV_LATIN_1:
            case UCNV_US_ASCII:
                layout = Layout::SingleByte;
                break;
            case UCNV_UTF8:
                layout = Layout::Utf8;
                break;
            case UCNV_DBCS:
            case UCNV_MBCS:
                layout = Layout::Other;
                if (ucnv_getMaxCharSize(plain) == 1) {
                    layout = Layout::SingleByte;
                } else if (ucnv_getMaxCharSize(plain) == 2) {
                    ucnv_getStarters(plain, starters.data(), &err);
                    if (U_SUCCESS(err)) {
                        layout = Layout::DoubleByte;
                    }
                }
                break;
            default:
                layout = Layout::Other;
                break;
        }
    }
};

Codec& CurrentCodec() {
    thread_local Codec codec;
    unsigned generation = codePageGeneration.load(std::memory_order_acquire);
    if (codec.generation != generation || codec.plain == nullptr) {
        codec.Open(WantedCodePage());
        codec.generation = generation;
    }
    return codec;
}

std::u16string Decode(UConverter* cnv, std::string_view ansi) {
    std::u16string out(ansi.size() + 1, u'\0');
    for (;;) {
        UErrorCode err = U_ZERO_ERROR;
        ucnv_reset(cnv);
        int32_t n = ucnv_toUChars(cnv, out.data(), static_cast<int32_t>(out.size()), ansi.data(),
                                  static_cast<int32_t>(ansi.size()), &err);
        if (err == U_BUFFER_OVERFLOW_ERROR || err == U_STRING_NOT_TERMINATED_WARNING) {
            out.assign(static_cast<size_t>(n) + 1, u'\0');
            continue;
        }
        out.resize(U_SUCCESS(err) ? static_cast<size_t>(n) : 0);
        return out;
    }
}

// Converts text with the strict converter. Returns the bytes, or the index of
// the first character the code page cannot hold.
struct StrictResult {
    std::string bytes;
    std::size_t unstorable = kAllStorable;
};

StrictResult EncodeStrict(UConverter* cnv, std::u16string_view text) {
    ucnv_reset(cnv);
    StrictResult result;
    std::string& out = result.bytes;
    out.assign(UCNV_GET_MAX_BYTES_FOR_STRING(text.size(), ucnv_getMaxCharSize(cnv)), '\0');
    char* target = out.data();
    const UChar* source = text.data();
    UErrorCode err = U_ZERO_ERROR;
    ucnv_fromUnicode(cnv, &target, target + out.size(), &source, source + text.size(), nullptr,
                     true, &err);
    if (U_SUCCESS(err)) {
        out.resize(static_cast<std::size_t>(target - out.data()));
        return result;
    }
    // The converter has consumed the offending character: step back over it.
    UChar bad[8];
    int8_t length = 8;
    UErrorCode badErr = U_ZERO_ERROR;
    ucnv_getInvalidUChars(cnv, bad, &length, &badErr);
    std::size_t consumed = static_cast<std::size_t>(source - text.data());
    std::size_t back = U_SUCCESS(badErr) && length > 0 ? static_cast<std::size_t>(length) : 1;
    result.unstorable = consumed >= back ? consumed - back : 0;
    out.clear();
    return result;
}

// EncodeStrict in the code page in force, which also stops at U+FFFD: the
// mark of bytes that could not be read is no character to store.
StrictResult EncodeStorable(std::u16string_view text) {
    const std::size_t mark = text.find(u'\uFFFD');
    StrictResult result = EncodeStrict(CurrentCodec().strict, text.substr(0, mark));
    if (result.unstorable == kAllStorable && mark != std::u16string_view::npos) {
        result.unstorable = mark;
        result.bytes.clear();
    }
    return result;
}

// The collator of the pinned locale or of the user's. ICU maps the C/POSIX
// locale to "en_US_POSIX", whose order is that of the code points ("B" before
// "a"); the system's own comparison never sorts so, so root collation stands
// in for it.
struct Collation {
    unsigned generation = 0;
    UCollator* collator = nullptr;

    Collation() = default;
    Collation(const Collation&) = delete;
    Collation& operator=(const Collation&) = delete;
    ~Collation() {
        if (collator != nullptr) {
            ucol_close(collator);
        }
    }

    void Open(std::string locale) {
        if (collator != nullptr) {
            ucol_close(collator);
            collator = nullptr;
        }
        if (locale.empty()) {
            locale = uloc_getDefault();
        }
        const std::string lower = AsciiLower(locale);
        if (lower == "c" || lower == "posix" || lower.find("posix") != std::string::npos) {
            locale.clear();
        }
        UErrorCode err = U_ZERO_ERROR;
        collator = ucol_open(locale.c_str(), &err);
        if (U_FAILURE(err) || collator == nullptr) {
            err = U_ZERO_ERROR;
            collator = ucol_open("", &err);
        }
    }
};

UCollator* CurrentCollator() {
    thread_local Collation collation;
    unsigned generation = collationGeneration.load(std::memory_order_acquire);
    if (collation.generation != generation || collation.collator == nullptr) {
        std::string locale;
        {
            std::lock_guard lock(settingsMutex);
            locale = pinnedCollationLocale;
        }
        collation.Open(locale);
        collation.generation = generation;
    }
    return collation.collator;
}

}  // namespace

bool SetAnsiCodePage(std::string_view name) {
    if (!name.empty()) {
        UErrorCode err = U_ZERO_ERROR;
        UConverter* probe = ucnv_open(IcuName(name).c_str(), &err);
        if (probe == nullptr || U_FAILURE(err)) {
            return false;
        }
        ucnv_close(probe);
    }
    std::lock_guard lock(settingsMutex);
    pinnedCodePage = std::string(name);
    codePageGeneration.fetch_add(1, std::memory_order_release);
    return true;
}

std::string AnsiCodePage() {
    return CurrentCodec().name;
}

std::u16string AnsiToUnicode(std::string_view ansi) {
    return Decode(CurrentCodec().plain, ansi);
}

bool IsValidAnsi(std::string_view ansi) {
    Codec& codec = CurrentCodec();
    if (codec.asciiCompatible && IsAscii(ansi)) {
        return true;
    }
    UConverter* cnv = codec.strict;
    ucnv_reset(cnv);
    std::u16string out(ansi.size() + 1, u'\0');  // never more units than bytes
    UChar* target = out.data();
    const char* source = ansi.data();
    UErrorCode err = U_ZERO_ERROR;
    ucnv_toUnicode(cnv, &target, target + out.size(), &source, source + ansi.size(), nullptr, true,
                   &err);
    return U_SUCCESS(err);
}

std::size_t FirstUnstorable(std::u16string_view text) {
    return EncodeStorable(text).unstorable;
}

std::optional<std::string> UnicodeToAnsi(std::u16string_view text) {
    StrictResult result = EncodeStorable(text);
    if (result.unstorable != kAllStorable) {
        return std::nullopt;
    }
    return std::move(result.bytes);
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out(text.size() * 3, '\0');
    int32_t n = 0;
    UErrorCode err = U_ZERO_ERROR;
    u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &n, text.data(),
                       static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &err);
    out.resize(U_SUCCESS(err) || err == U_STRING_NOT_TERMINATED_WARNING ? static_cast<size_t>(n)
                                                                        : 0);
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out(text.size(), u'\0');
    int32_t n = 0;
    UErrorCode err = U_ZERO_ERROR;
    u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &n, text.data(),
                         static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &err);
    out.resize(U_SUCCESS(err) || err == U_STRING_NOT_TERMINATED_WARNING ? static_cast<size_t>(n)
                                                                        : 0);
    return out;
}

std::u16string FoldCase(std::string_view ansi) {
    Codec& codec = CurrentCodec();
    if (codec.asciiCompatible && IsAscii(ansi)) {
        // Full case folding maps ASCII onto ASCII lower case and nothing else.
        std::u16string out(ansi.size(), u'\0');
        std::transform(ansi.begin(), ansi.end(), out.begin(),
                       [](char c) { return static_cast<char16_t>(AsciiLower(c)); });
        return out;
    }
    std::u16string decoded = Decode(codec.escaping, ansi);
    std::u16string out(decoded.size() + 8, u'\0');
    for (;;) {
        UErrorCode err = U_ZERO_ERROR;
        int32_t n = u_strFoldCase(out.data(), static_cast<int32_t>(out.size()), decoded.data(),
                                  static_cast<int32_t>(decoded.size()), U_FOLD_CASE_DEFAULT, &err);
        if (err == U_BUFFER_OVERFLOW_ERROR || err == U_STRING_NOT_TERMINATED_WARNING) {
            out.assign(static_cast<size_t>(n) + 1, u'\0');
            continue;
        }
        out.resize(U_SUCCESS(err) ? static_cast<size_t>(n) : 0);
        return out;
    }
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a == b) {
        return true;
    }
    if (CurrentCodec().asciiCompatible && IsAscii(a) && IsAscii(b)) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(),
                          [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
    }
    return FoldCase(a) == FoldCase(b);
}

void SetCollationLocale(std::string_view locale) {
    std::lock_guard lock(settingsMutex);
    pinnedCollationLocale = std::string(locale);
    collationGeneration.fetch_add(1, std::memory_order_release);
}

std::string CollationKey(std::u16string_view u) {
    UCollator* collator = CurrentCollator();
    std::string key(u.size() * 4 + 16, '\0');
    for (;;) {
        int32_t n = ucol_getSortKey(collator, u.data(), static_cast<int32_t>(u.size()),
                                    reinterpret_cast<uint8_t*>(key.data()),
                                    static_cast<int32_t>(key.size()));
        if (n <= static_cast<int32_t>(key.size())) {
            key.resize(n > 0 ? static_cast<size_t>(n) - 1 : 0);  // without the final NUL
            return key;
        }
        key.resize(static_cast<size_t>(n));
    }
}

bool EndsWithSingleByte(std::string_view text, char c) {
    if (text.empty() || text.back() != c) {
        return false;
    }
    Codec& codec = CurrentCodec();
    switch (codec.layout) {
        case Layout::SingleByte:
            return true;
        case Layout::Utf8:
            // Every byte of a multi-byte UTF-8 sequence is 0x80 or above.
            return static_cast<unsigned char>(c) < 0x80;
        case Layout::DoubleByte: {
            size_t i = 0;
            size_t last = 0;
            while (i < text.size()) {
                last = i;
                bool lead = codec.starters[static_cast<unsigned char>(text[i])] != 0;
                i += (lead && i + 1 < text.size()) ? 2 : 1;
            }
            return last == text.size() - 1;
        }
        case Layout::Other:
            break;
    }
    UConverter* cnv = codec.plain;
    ucnv_reset(cnv);
    const char* pos = text.data();
    const char* end = text.data() + text.size();
    const char* lastStart = pos;
    while (pos < end) {
        lastStart = pos;
        UErrorCode err = U_ZERO_ERROR;
        ucnv_getNextUChar(cnv, &pos, end, &err);
        if (U_FAILURE(err) || pos == lastStart) {
            // Unreadable from here on: count the bytes singly.
            lastStart = end - 1;
            break;
        }
    }
    return lastStart == end - 1;
}

}  // namespace kvr::platform
