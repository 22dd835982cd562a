// Lower case as the user interface lowers ANSI text.
#include <windows.h>

#include "platform/Text.h"

namespace kvr::platform {

std::string LowerCase(std::string_view ansi) {
    std::string lower(ansi);
    if (!lower.empty()) {
        ::CharLowerBuffA(lower.data(), static_cast<DWORD>(lower.size()));
    }
    return lower;
}

}  // namespace kvr::platform
