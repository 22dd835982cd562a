// What the window draws itself: Panel1's bevel, the rule under the hint, the
// coloured buttons, and the boxes' colours.
#include "ui/win32/Frmmain.h"

#include <uxtheme.h>
#include <vssym32.h>

namespace kvr {

void TfmMain::Paint() {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(fmMain, &paint);
    RECT client{};
    ::GetClientRect(fmMain, &client);
    // Panel1: right of the tree, a lowered inner bevel.
    RECT panel1{panelLeft_, 0, client.right, client.bottom};
    ::DrawEdge(dc, &panel1, BDR_SUNKENINNER, BF_RECT);
    // Panel3: the rule under the hint.
    const FormControl& rule = FormControlNamed("Panel3");
    RECT panel3{panelLeft_ + Scaled(rule.left), ruleTop_,
                panelLeft_ + Scaled(rule.left + rule.width), ruleTop_ + Scaled(rule.height)};
    ::DrawEdge(dc, &panel3, BDR_SUNKENOUTER, BF_RECT);
    ::EndPaint(fmMain, &paint);
}

HBRUSH TfmMain::BoxColours(HWND box, HDC dc) {
    if (box == BoxWindow(Box::Name)) {
        ::SetTextColor(dc, nameColour_);
        ::SetBkColor(dc, RGB(255, 255, 0));
        return yellow_.get();
    }
    const int index = BoxIndex(box);
    if (index > 0 && aqua_boxes_[static_cast<std::size_t>(index)]) {
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        ::SetBkColor(dc, RGB(0, 255, 255));
        return aqua_.get();
    }
    return nullptr;
}

void TfmMain::DrawButton(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    if (HTHEME theme = ::OpenThemeData(item.hwndItem, L"BUTTON")) {
        const int state = disabled  ? PBS_DISABLED
                          : pressed ? PBS_PRESSED
                          : focused ? PBS_DEFAULTED
                                    : PBS_NORMAL;
        ::DrawThemeBackground(theme, dc, BP_PUSHBUTTON, state, &rect, nullptr);
        ::CloseThemeData(theme);
    } else {
        ::DrawFrameControl(dc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0u));
        if (pressed) {
            ::OffsetRect(&rect, 1, 1);
        }
    }
    // The captions' colours as the form has them; grey when the button cannot
    // be pressed.
    COLORREF colour = ::GetSysColor(COLOR_GRAYTEXT);
    std::wstring caption;
    for (const Placed& placed : controls_) {
        if (placed.window == item.hwndItem) {
            const Rgb text = placed.control->text.value_or(Rgb{0, 0, 0});
            if (!disabled) {
                colour = RGB(text.red, text.green, text.blue);
            }
            caption.assign(placed.control->caption,
                           placed.control->caption +
                               std::char_traits<char16_t>::length(placed.control->caption));
        }
    }
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, colour);
    HGDIOBJ old = ::SelectObject(dc, formFont_);
    ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &rect,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::SelectObject(dc, old);
    if (focused && (item.itemState & ODS_NOFOCUSRECT) == 0) {
        RECT focus = item.rcItem;
        ::InflateRect(&focus, -Scaled(4), -Scaled(4));
        ::DrawFocusRect(dc, &focus);
    }
}

}  // namespace kvr
