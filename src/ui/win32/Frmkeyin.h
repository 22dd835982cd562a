#pragma once
// The name dialog fmKeyIn: a modal window with one yellow box, edTxt, and no
// button or border icon. Enter accepts the text; Escape cancels.
#include <windows.h>

#include <optional>
#include <string>

#include "ui/win32/Seams.h"

namespace kvr {

class TfmKeyIn {
  public:
    static constexpr int kClientWidth = 302;
    static constexpr int kClientHeight = 25;

    // Shows a fresh dialog owned by owner, centred on the screen; returns the
    // box's text after Enter, nothing after Escape. dpi scales the design.
    static std::optional<std::wstring> Run(HWND owner, int dpi, const WindowSeams& seams);
};

}  // namespace kvr
