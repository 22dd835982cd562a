#pragma once
// The windows' Traditional Chinese font "細明體" in the Big5 character set,
// or the first installed fallback when a machine lacks it.
#include <windows.h>

#include <string>

namespace kvr {

// The face the windows use: "細明體" when installed, else a fallback.
const std::wstring& FormFontFace();

// A font of the form's face whose characters are pixels high.
HFONT CreateFormFont(int pixels, bool bold = false);

}  // namespace kvr
