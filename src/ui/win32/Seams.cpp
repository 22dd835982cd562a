#include "ui/win32/Seams.h"

namespace kvr {

WindowSeams WindowSeams::System() {
    WindowSeams seams;
    seams.messageBox = [](HWND owner, const std::wstring& text, const std::wstring& caption,
                          UINT flags) {
        return ::MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
    };
    seams.trackPopup = [](HMENU menu, HWND owner, POINT screen) {
        return static_cast<UINT>(::TrackPopupMenu(menu,
                                                  TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN,
                                                  screen.x, screen.y, 0, owner, nullptr));
    };
    return seams;
}

}  // namespace kvr
