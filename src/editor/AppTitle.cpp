#include "editor/AppTitle.h"

#include "platform/Files.h"
#include "platform/Text.h"

namespace kvr {

std::string ApplicationTitle(std::string_view executablePath) {
    std::string_view name = executablePath;
    const std::size_t slash = name.find_last_of(std::string{'/', platform::PathSeparator()});
    if (slash != std::string_view::npos) {
        name.remove_prefix(slash + 1);
    }
    name = name.substr(0, name.find('.'));
    // The first character may take more than one byte of the code page.
    const std::u16string unicode = platform::AnsiToUnicode(name);
    if (unicode.empty()) {
        return {};
    }
    std::size_t firstLength = 1;
    if (unicode.size() > 1 && unicode[0] >= 0xD800 && unicode[0] <= 0xDBFF) {
        firstLength = 2;
    }
    return platform::UnicodeToAnsi(unicode.substr(0, firstLength)) +
           platform::LowerCase(platform::UnicodeToAnsi(unicode.substr(firstLength)));
}

}  // namespace kvr
