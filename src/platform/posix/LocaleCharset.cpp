#include "platform/icu/LocaleCharset.h"

#include <langinfo.h>

namespace kvr::platform {

std::string LocaleCharacterSet() {
    const char* codeset = ::nl_langinfo(CODESET);
    return codeset != nullptr ? codeset : "";
}

}  // namespace kvr::platform
