#pragma once
// Text services of the platform. The core keeps text as bytes in the system's
// ANSI code page; the window works in Unicode and converts at its edge.
#include <string>
#include <string_view>

namespace kvr::platform {

// Pins the ANSI code page by its ICU converter name ("UTF-8", "windows-950").
// An empty name goes back to the system's own (the locale's character set).
void SetAnsiCodePage(std::string_view name);
// The ICU converter name of the code page in force.
std::string AnsiCodePage();

// ANSI bytes to UTF-16; bytes that do not form a character become U+FFFD.
std::u16string AnsiToUnicode(std::string_view ansi);
// UTF-16 to ANSI bytes; characters the code page lacks become '?'.
std::string UnicodeToAnsi(std::u16string_view text);
// UTF-16 to UTF-8 and back, independent of the code page.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

// Equality of two ANSI texts ignoring letter case (full Unicode case folding
// of the decoded characters; never a byte comparison).
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
// The full case folding of an ANSI text as UTF-16: two texts are equal ignoring
// letter case exactly when their foldings are equal. Bytes that form no
// character of the code page fold to U+DC80..U+DCFF, one per byte. For
// comparing one text with many without decoding it again each time.
std::u16string FoldCase(std::string_view ansi);

// One text compared with many ignoring letter case, as EqualsIgnoreCase does,
// folding it once instead of on every comparison.
class IgnoreCaseText {
  public:
    explicit IgnoreCaseText(std::string_view text);
    bool Matches(std::string_view other) const;

  private:
    std::string text_;
    std::u16string folded_;
    bool ascii_;
};

// Pins the collation locale ("zh_TW", "en_US"); empty goes back to the user's.
void SetCollationLocale(std::string_view locale);
// Order of two ANSI texts for lists shown to the user: locale-aware, letter
// case counts ("a" < "A" < "b" < "B"). Negative, zero or positive.
int CompareLocale(std::string_view a, std::string_view b);
// A key whose plain byte order is CompareLocale's order for the same text, for
// sorting many texts with one collation step each. Takes the decoded text.
std::string CollationKey(std::u16string_view text);

// Whether the last character of an ANSI text is the single-byte character c
// (a trail byte of a double-byte character equal to c does not count).
bool EndsWithSingleByte(std::string_view text, char c);

// An ANSI text in lower case, character by character, as the platform's
// user interface lowers it (CharLowerA on Windows).
std::string LowerCase(std::string_view ansi);

// Removes leading and trailing bytes with codes 0x20 or less.
std::string_view Trim(std::string_view text);

}  // namespace kvr::platform
