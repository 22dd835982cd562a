#include <algorithm>

#include "platform/Text.h"

namespace kvr::platform {

namespace {

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

IgnoreCaseText::IgnoreCaseText(std::string_view text)
    : text_(text), folded_(FoldCase(text)), ascii_(IsAscii(text)) {}

bool IgnoreCaseText::Matches(std::string_view other) const {
    // Two ASCII texts compare without decoding; anything else may fold onto
    // ASCII (the Kelvin sign onto "k"), so it takes the full folding.
    if (ascii_ && IsAscii(other)) {
        return EqualsIgnoreCase(text_, other);
    }
    return FoldCase(other) == folded_;
}

}  // namespace kvr::platform
