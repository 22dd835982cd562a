// The code-page conversion and the ignore-case comparison over arbitrary
// bytes and arbitrary UTF-16, in UTF-8 and Big5.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzCheck.h"
#include "platform/Text.h"

namespace text = kvr::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    text::SetAnsiCodePage(kvr::fuzz::kCodePages[input.ConsumeBool() ? 1 : 0]);
    const std::string a = input.ConsumeRandomLengthString(128);
    const std::string b = input.ConsumeRandomLengthString(128);
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const std::u16string typed(reinterpret_cast<const char16_t*>(rest.data()), rest.size() / 2);

    // Bytes that form text come back as the same text; invalid ones show
    // replacement marks but never stop the conversion.
    const std::u16string shown = text::AnsiToUnicode(a);
    FUZZ_CHECK(shown.size() <= a.size());
    // (U+FFFD itself is refused: it is what unreadable bytes show as.)
    if (text::IsValidAnsi(a) && shown.find(u'\uFFFD') == std::u16string::npos) {
        const std::optional<std::string> stored = text::UnicodeToAnsi(shown);
        FUZZ_CHECK(stored && text::AnsiToUnicode(*stored) == shown);
    }

    // Typed text is stored exactly or refused, naming the first character that
    // cannot be stored; never a '?' or a look-alike.
    const std::optional<std::string> stored = text::UnicodeToAnsi(typed);
    const std::size_t unstorable = text::FirstUnstorable(typed);
    FUZZ_CHECK(stored.has_value() == (unstorable == text::kAllStorable));
    if (stored) {
        FUZZ_CHECK(text::IsValidAnsi(*stored));
        FUZZ_CHECK(text::AnsiToUnicode(*stored) == typed);
    } else {
        FUZZ_CHECK(unstorable < typed.size());
        FUZZ_CHECK(!text::CharacterAt(typed, unstorable).empty());
    }
    if (stored && text::AnsiCodePage() == "UTF-8") {
        FUZZ_CHECK(text::Utf16ToUtf8(typed) == *stored);
        FUZZ_CHECK(text::Utf8ToUtf16(*stored) == typed);
    }

    // Ignore-case equality is one relation however it is asked.
    const bool equal = text::EqualsIgnoreCase(a, b);
    FUZZ_CHECK(equal == (text::FoldCase(a) == text::FoldCase(b)));
    FUZZ_CHECK(equal == text::IgnoreCaseText(a).Matches(b));
    FUZZ_CHECK(equal == text::EqualsIgnoreCase(b, a));
    FUZZ_CHECK(text::EqualsIgnoreCase(a, a));
    return 0;
}
