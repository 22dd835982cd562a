#pragma once
// What the ICU text code needs of the operating system: the character set of
// the user's locale. The OS backend supplies it.
#include <string>

namespace kvr::platform {

// The locale's character set as the C library names it ("UTF-8", "BIG5",
// "ANSI_X3.4-1968" under the C locale); empty when it cannot tell.
std::string LocaleCharacterSet();

}  // namespace kvr::platform
