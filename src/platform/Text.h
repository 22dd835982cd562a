#pragma once
// Text services of the platform. The core keeps text as bytes in the system's
// ANSI code page; the window works in Unicode and converts at its edge.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kvr::platform {

// Pins the ANSI code page by name: "UTF-8" or "windows-<number>" with the
// code page's Windows number ("windows-950" is Big5 as Windows defines it);
// the ICU backend takes any ICU converter name as well. False, with nothing
// changed, when the platform has no such code page. An empty name goes back to
// the system's own (on Linux the locale's character set, on Windows GetACP).
bool SetAnsiCodePage(std::string_view name);
// The name of the code page in force, as the platform calls it.
std::string AnsiCodePage();

// Puts back the code page that was in force when it was made, as its scope
// ends (for work done under another code page for a while).
class CodePageRestorer {
  public:
    CodePageRestorer() : before_(AnsiCodePage()) {}
    ~CodePageRestorer() { SetAnsiCodePage(before_); }
    CodePageRestorer(const CodePageRestorer&) = delete;
    CodePageRestorer& operator=(const CodePageRestorer&) = delete;

  private:
    std::string before_;
};

// ANSI bytes to UTF-16 for display; bytes that do not form a character of
// the code page become U+FFFD.
std::u16string AnsiToUnicode(std::string_view ansi);
// Whether every byte forms a character of the code page, so that
// AnsiToUnicode shows the text without replacement marks.
bool IsValidAnsi(std::string_view ansi);
// UTF-16 to ANSI bytes, or nothing when the code page cannot hold one of the
// characters (see FirstUnstorable). Never substitutes: no '?', no best fit.
std::optional<std::string> UnicodeToAnsi(std::u16string_view text);
// The index (in UTF-16 units) of the first character that UnicodeToAnsi
// cannot store in the code page, a lone surrogate included; npos when it can
// store them all. U+FFFD is never stored, in any code page: it stands for
// bytes that could not be read, and would take their place.
std::size_t FirstUnstorable(std::u16string_view text);
inline constexpr std::size_t kAllStorable = std::u16string_view::npos;
// The character at index as its own text (both halves of a surrogate pair),
// for messages naming it.
std::u16string CharacterAt(std::u16string_view text, std::size_t index);

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
    // A quick look at the start of a text that may be the other one (its
    // end unknown yet): true only when it cannot match, because both begin
    // with the same run of ASCII characters up to an ASCII character that
    // differs ignoring case. Looks no further than a CR, an LF or a "]".
    bool DiffersAtStart(std::string_view start) const;

  private:
    std::string text_;
    std::u16string folded_;
    bool ascii_;
};

// Pins the collation locale ("zh_TW", "en_US"); empty goes back to the user's.
void SetCollationLocale(std::string_view locale);
// A key whose plain byte order is the order of texts in lists shown to the
// user: locale-aware, letter case counts ("a" < "A" < "b" < "B"). Takes the
// decoded text.
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
