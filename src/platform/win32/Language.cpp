#include <windows.h>

#include "platform/Language.h"

namespace kvr::platform {

bool UserReadsTraditionalChinese() {
    const LANGID language = ::GetUserDefaultUILanguage();
    if (PRIMARYLANGID(language) != LANG_CHINESE) {
        return false;
    }
    const WORD sub = SUBLANGID(language);
    return sub != SUBLANG_CHINESE_SIMPLIFIED && sub != SUBLANG_CHINESE_SINGAPORE;
}

}  // namespace kvr::platform
