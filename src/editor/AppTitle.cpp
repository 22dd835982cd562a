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
    if (name.empty()) {
        return {};
    }
    // The first character may take more than one byte of the code page.
    std::size_t firstBytes = 1;
    for (std::size_t n = 1; n <= name.size() && n <= 4; ++n) {
        if (platform::IsValidAnsi(name.substr(0, n))) {
            firstBytes = n;
            break;
        }
    }
    return std::string(name.substr(0, firstBytes)) + platform::LowerCase(name.substr(firstBytes));
}

}  // namespace kvr
