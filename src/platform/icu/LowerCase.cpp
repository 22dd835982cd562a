// Lower case through ICU's root-locale mapping of the decoded text.
#include <unicode/ustring.h>

#include "platform/Text.h"

namespace kvr::platform {

std::string LowerCase(std::string_view ansi) {
    if (!IsValidAnsi(ansi)) {
        return std::string(ansi);
    }
    const std::u16string text = AnsiToUnicode(ansi);
    std::u16string lower(text.size() + 8, u'\0');
    for (;;) {
        UErrorCode err = U_ZERO_ERROR;
        const int32_t n = u_strToLower(lower.data(), static_cast<int32_t>(lower.size()),
                                       text.data(), static_cast<int32_t>(text.size()), "", &err);
        if (err == U_BUFFER_OVERFLOW_ERROR) {
            lower.resize(static_cast<std::size_t>(n));
            continue;
        }
        if (U_FAILURE(err)) {
            return std::string(ansi);
        }
        lower.resize(static_cast<std::size_t>(n));
        // A lower-case letter the code page lacks leaves the text as it was.
        return UnicodeToAnsi(lower).value_or(std::string(ansi));
    }
}

}  // namespace kvr::platform
