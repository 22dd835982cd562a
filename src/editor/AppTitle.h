#pragma once
// The application's title, derived from the running executable's name. It is
// the caption of the simple message boxes and of the error box.
#include <string>
#include <string_view>

namespace kvr {

// The file name without its folder and without everything from its first
// ".", every character after the first in lower case (the platform's own
// lower-casing): "C:\Tools\KAVROLIS.EXE" gives "Kavrolis". ANSI bytes in and
// out.
std::string ApplicationTitle(std::string_view executablePath);

}  // namespace kvr
