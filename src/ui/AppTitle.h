#pragma once
// The application's title, derived from the running executable's name.
#include <QString>

namespace kvr {

// The file name without its folder and without everything from its first
// ".", every character after the first in lower case: "/opt/KAVROLIS.EXE"
// gives "Kavrolis".
QString ApplicationTitle(const QString& executablePath);

}  // namespace kvr
