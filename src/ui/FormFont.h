#pragma once
// The windows' Traditional Chinese font: the Windows system font first, then
// the CJK fonts a Debian machine has (fonts-noto-cjk).
#include <QFont>

namespace kvr {

QFont FormFont(int pixelSize, bool bold = false);

}  // namespace kvr
