#include <algorithm>

#include "platform/Ascii.h"
#include "platform/Text.h"

namespace kvr::platform {

IgnoreCaseText::IgnoreCaseText(std::string_view text)
    : text_(text), folded_(FoldCase(text)), ascii_(IsAscii(text)) {}

bool IgnoreCaseText::Matches(std::string_view other) const {
    // The same bytes match at once (the usual case when reading a file's
    // keys). Two ASCII texts compare without decoding; anything else may fold
    // onto ASCII (the Kelvin sign onto "k"), so it takes the full folding.
    if (other == text_) {
        return true;
    }
    if (ascii_ && IsAscii(other)) {
        return EqualsIgnoreCase(text_, other);
    }
    return FoldCase(other) == folded_;
}

bool IgnoreCaseText::DiffersAtStart(std::string_view start) const {
    // In the code pages the program runs under an ASCII byte is a character
    // of its own, and its folding is one ASCII character: a difference here
    // is a difference of the folded texts.
    const size_t n = std::min(start.size(), text_.size());
    for (size_t i = 0; i < n; ++i) {
        auto a = static_cast<unsigned char>(text_[i]);
        auto b = static_cast<unsigned char>(start[i]);
        if (a >= 0x80 || b >= 0x80 || b == '\r' || b == '\n' || b == ']') {
            return false;
        }
        if (AsciiLower(static_cast<char>(a)) != AsciiLower(static_cast<char>(b))) {
            return true;
        }
    }
    return false;
}

}  // namespace kvr::platform
