#pragma once
// Small helpers of the main form's handlers: filling message texts, trimming,
// naming characters, and a step run however a scope ends.
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace kvr {

// Puts the values in place of "%1", "%2", ...; a value's own text is left as
// it is.
std::u16string Fill(std::u16string_view text, std::initializer_list<std::u16string> values);

// Trim on Unicode text: the same characters go as on the bytes, since no byte
// of a multi-byte character is 0x20 or less.
std::u16string TrimmedText(std::u16string_view text);

// A character for a message: itself in quotes and its code point, which also
// tells apart characters that look alike or show as nothing.
std::u16string Quoted(const std::u16string& character);

// The first control character of a name, as "0x0D".
std::u16string FirstControl(const std::string& name);

// Runs a step when the scope ends, however it ends.
template <class F>
class Finally {
  public:
    explicit Finally(F f) : f_(std::move(f)) {}
    ~Finally() { f_(); }
    Finally(const Finally&) = delete;
    Finally& operator=(const Finally&) = delete;

  private:
    F f_;
};

}  // namespace kvr
