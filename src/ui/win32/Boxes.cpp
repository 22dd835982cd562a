// The boxes of MainView on edit controls, and the modal boxes through the
// window's seams.
#include "ui/win32/Frmmain.h"

#include "platform/Text.h"
#include "texts/Texts.h"
#include "ui/win32/Frmkeyin.h"
#include "ui/win32/InputBlocker.h"
#include "ui/win32/Wide.h"

namespace kvr {
namespace {

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

// --- boxes ----------------------------------------------------------------------

HWND TfmMain::BoxWindow(Box box) const {
    return boxes_[static_cast<std::size_t>(box)];
}

int TfmMain::BoxIndex(HWND window) const {
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        if (boxes_[i] == window) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::u16string TfmMain::Text(Box box) {
    return Utf16(WindowText(BoxWindow(box)));
}

void TfmMain::SetText(Box box, const std::u16string& text) {
    ::SetWindowTextW(BoxWindow(box), Wide(text).c_str());
}

void TfmMain::SetNameColour(Colour colour) {
    nameColour_ = colour == Colour::Red ? RGB(255, 0, 0) : RGB(0, 0, 255);
    ::InvalidateRect(BoxWindow(Box::Name), nullptr, TRUE);
}

void TfmMain::SetBoxBackground(Box box, Colour colour) {
    aqua_boxes_[static_cast<std::size_t>(box)] = colour == Colour::Aqua;
    ::InvalidateRect(BoxWindow(box), nullptr, TRUE);
}

void TfmMain::SetTestEnabled(bool enabled) {
    ::EnableWindow(btnTest, enabled ? TRUE : FALSE);
}

// --- modal boxes ----------------------------------------------------------------

void TfmMain::ShowMessage(const std::u16string& text) {
    seams_.messageBox(fmMain, Wide(text), title_, MB_OK);
}

void TfmMain::ShowMessageWithDetails(const std::u16string& text, const std::u16string& details) {
    // The box has no room for a details button; the details follow the text.
    std::wstring shown = Wide(text);
    if (!details.empty()) {
        shown += L"\r\n\r\n" + Wide(details);
    }
    seams_.messageBox(fmMain, shown, title_, MB_OK);
}

void TfmMain::ShowError(const std::u16string& text) {
    seams_.messageBox(fmMain, Wide(text), title_, MB_OK | MB_ICONERROR);
}

Answer TfmMain::Ask(const std::u16string& text, const std::u16string& caption, Icon icon,
                    DefaultButton defaultButton, Buttons buttons) {
    const UINT flags = (buttons == Buttons::YesNoCancel ? MB_YESNOCANCEL : MB_YESNO) |
                       (icon == Icon::Warning ? MB_ICONWARNING : 0u) |
                       (defaultButton == DefaultButton::No ? MB_DEFBUTTON2 : MB_DEFBUTTON1);
    // Escape closes a Yes/No/Cancel box with IDCANCEL; a Yes/No box cannot be
    // closed without an answer.
    switch (seams_.messageBox(fmMain, Wide(text), Wide(caption), flags)) {
        case IDYES:
            return Answer::Yes;
        case IDCANCEL:
            return buttons == Buttons::YesNoCancel ? Answer::Cancel : Answer::No;
        default:
            return Answer::No;
    }
}

std::u16string TfmMain::Translate(SourceText text) {
    return platform::Utf8ToUtf16(texts::Translated(text));
}

void TfmMain::ShowWorkDirectory(const std::u16string& text) {
    workDirText_ = Wide(text);
    if (lbWorkDir == nullptr) {
        // Below the buttons, in the room the panel leaves at its foot, in the
        // hint's font.
        lbWorkDir = ::CreateWindowExW(
            0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, 0,
            0, 0, 0, fmMain, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        if (lbWorkDir == nullptr) {
            return;  // a missing status line costs nothing else
        }
        ::SendMessageW(lbWorkDir, WM_SETFONT,
                       static_cast<WPARAM>(::SendMessageW(Label5, WM_GETFONT, 0, 0)), FALSE);
        Layout();
    }
    ::SetWindowTextW(lbWorkDir, workDirText_.c_str());
}

std::optional<std::u16string> TfmMain::PromptName() {
    std::optional<std::wstring> text = TfmKeyIn::Run(fmMain, dpi_, seams_);
    if (!text) {
        return std::nullopt;
    }
    return Utf16(*text);
}

void TfmMain::RunWithoutInput(const std::function<void()>& work) {
    // The busy cursor shows at once where the pointer is; the pointer itself
    // is left where the user moves it.
    running_ = true;
    HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
    struct Done {
        TfmMain& window;
        HCURSOR cursor;
        ~Done() {
            window.running_ = false;
            ::SetCursor(cursor);
        }
    } done{*this, previous};
    RunWithoutInputOn(work);
}

}  // namespace kvr
