#include "ui/win32/Frmkeyin.h"

#include <algorithm>
#include <vector>

#include "ui/win32/FormFont.h"
#include "ui/win32/Handles.h"

namespace kvr {
namespace {

constexpr int kBoxId = 100;
constexpr wchar_t kCaption[] = L"請輸入KVR別名後按Enter";
// A single-line border and a caption, no system menu: no border icons.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION;

struct DialogState {
    int dpi = 96;
    const WindowSeams* seams = nullptr;
    HFONT font = nullptr;
    HBRUSH yellow = nullptr;
    int clientHeight = 0;
    std::wstring text;
};

int Scale(const DialogState& state, int pixels) {
    return ::MulDiv(pixels, state.dpi, 96);
}

void Place(HWND dialog, const DialogState& state) {
    RECT frame{0, 0, Scale(state, TfmKeyIn::kClientWidth), state.clientHeight};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(::GetWindow(dialog, GW_OWNER), MONITOR_DEFAULTTOPRIMARY),
                      &monitor);
    const RECT& area = monitor.rcWork;
    ::SetWindowPos(dialog, nullptr, area.left + (area.right - area.left - width) / 2,
                   area.top + (area.bottom - area.top - height) / 2, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG: {
            state = reinterpret_cast<DialogState*>(lParam);
            ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            ::SetWindowTextW(dialog, kCaption);
            // A fallback font may be taller than 細明體's 21 pixels: the box
            // and the dialog then grow so that nothing is cut.
            HDC dc = ::GetDC(dialog);
            HGDIOBJ old = ::SelectObject(dc, state->font);
            TEXTMETRICW metrics{};
            ::GetTextMetricsW(dc, &metrics);
            ::SelectObject(dc, old);
            ::ReleaseDC(dialog, dc);
            const int extra = std::max<int>(0, metrics.tmHeight - Scale(*state, 21));
            state->clientHeight = Scale(*state, TfmKeyIn::kClientHeight) + extra;
            Place(dialog, *state);
            // Taller than the client area, as the form has it.
            HWND box = ::CreateWindowExW(
                WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                0, 0, Scale(*state, 305), Scale(*state, 29) + extra, dialog,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kBoxId)),
                reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(dialog, GWLP_HINSTANCE)), nullptr);
            ::SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(state->font), FALSE);
            ::SetFocus(box);
            if (state->seams->nameDialogShown) {
                state->seams->nameDialogShown(dialog, box);
            }
            return FALSE;  // the focus is set
        }
        case WM_CTLCOLOREDIT:
            ::SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 255));
            ::SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 0));
            return reinterpret_cast<INT_PTR>(state->yellow);
        case WM_COMMAND:
            // Enter gives IDOK, Escape (and a close of the window) IDCANCEL.
            if (LOWORD(wParam) == IDOK) {
                HWND box = ::GetDlgItem(dialog, kBoxId);
                std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(box)) + 1, L'\0');
                text.resize(static_cast<std::size_t>(
                    ::GetWindowTextW(box, text.data(), static_cast<int>(text.size()))));
                state->text = std::move(text);
                ::EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                ::EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

// An in-memory template: the dialog without controls; the box is made at
// WM_INITDIALOG in pixels.
std::vector<WORD> Template() {
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);
    auto* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
    header->style = kStyle;
    header->cdit = 0;
    header->cx = 100;
    header->cy = 20;
    // No menu, the default class, an empty title (set at WM_INITDIALOG).
    return words;
}

}  // namespace

std::optional<std::wstring> TfmKeyIn::Run(HWND owner, int dpi, const WindowSeams& seams) {
    DialogState state;
    state.dpi = dpi;
    state.seams = &seams;
    // Released however the dialog ends.
    const GdiObject<HFONT> font(CreateFormFont(Scale(state, 21)));
    const GdiObject<HBRUSH> yellow(::CreateSolidBrush(RGB(255, 255, 0)));
    state.font = font.get();
    state.yellow = yellow.get();
    std::vector<WORD> dialogTemplate = Template();
    const INT_PTR result = ::DialogBoxIndirectParamW(
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(owner, GWLP_HINSTANCE)),
        reinterpret_cast<DLGTEMPLATE*>(dialogTemplate.data()), owner, DialogProc,
        reinterpret_cast<LPARAM>(&state));
    if (result != IDOK) {
        return std::nullopt;
    }
    return state.text;
}

}  // namespace kvr
