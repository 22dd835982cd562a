#include <cstdlib>
#include <string_view>

#include "platform/Language.h"

namespace kvr::platform {

bool UserReadsTraditionalChinese() {
    // The first of these that is set decides, as for the C library's
    // messages, whether or not the machine has that locale installed.
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value == nullptr || *value == '\0') {
            continue;
        }
        const std::string_view locale(value);
        if (!locale.starts_with("zh")) {
            return false;
        }
        return locale.find("Hant") != std::string_view::npos || locale.starts_with("zh_TW") ||
               locale.starts_with("zh_HK") || locale.starts_with("zh_MO");
    }
    return false;
}

}  // namespace kvr::platform
