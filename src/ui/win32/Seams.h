#pragma once
// What the window asks of the user through modal loops of the system, made
// replaceable so that tests can drive the window without a person: the
// message box, the popup menu and the name dialog.
#include <windows.h>

#include <functional>
#include <string>

namespace kvr {

struct WindowSeams {
    // MessageBoxW: returns the button pressed (IDOK, IDYES, IDNO, ...).
    std::function<int(HWND owner, const std::wstring& text, const std::wstring& caption,
                      UINT flags)>
        messageBox;
    // TrackPopupMenu with TPM_RETURNCMD: returns the chosen item's id, 0 for none.
    std::function<UINT(HMENU menu, HWND owner, POINT screen)> trackPopup;
    // Called when the name dialog is up and its box has the focus; the dialog
    // runs its own modal loop, so messages posted here reach it.
    std::function<void(HWND dialog, HWND box)> nameDialogShown;

    static WindowSeams System();  // the real ones
};

}  // namespace kvr
