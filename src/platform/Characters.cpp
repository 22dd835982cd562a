#include "platform/Text.h"

namespace kvr::platform {

std::u16string CharacterAt(std::u16string_view text, std::size_t index) {
    if (index >= text.size()) {
        return {};
    }
    char16_t unit = text[index];
    bool pair = unit >= 0xD800 && unit <= 0xDBFF && index + 1 < text.size() &&
                text[index + 1] >= 0xDC00 && text[index + 1] <= 0xDFFF;
    return std::u16string(text.substr(index, pair ? 2 : 1));
}

}  // namespace kvr::platform
