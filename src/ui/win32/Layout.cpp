// The form's controls, made from the editor's table, and their places in
// the window at the screen's resolution.
#include "ui/win32/Frmmain.h"

#include <algorithm>
#include <cstring>

#include "platform/Errors.h"
#include "ui/win32/FormFont.h"
#include "ui/win32/Wide.h"

namespace kvr {
namespace {

int LineHeight(HWND window, HFONT font) {
    HDC dc = ::GetDC(window);
    HGDIOBJ old = ::SelectObject(dc, font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(window, dc);
    return metrics.tmHeight;
}

}  // namespace

int TfmMain::Scaled(int pixels) const {
    return ::MulDiv(pixels, dpi_, 96);
}

int TfmMain::BoxFrame() const {
    // The sunken edge above and below, and the edit control's own margin.
    return 2 * ::GetSystemMetrics(SM_CYEDGE) + 2;
}

HFONT TfmMain::FontFor(const FormControl& control) {
    if (control.fontPixels == 0 || control.fontPixels == FormGeometry::kFontPixels) {
        return formFont_;
    }
    fonts_.emplace_back(CreateFormFont(Scaled(control.fontPixels), control.bold));
    HFONT font = fonts_.back().get();
    if (control.kind == ControlKind::Box || control.kind == ControlKind::NameBox) {
        // A box shows whole letters: a fallback face whose lines are taller
        // than the box's inside is made smaller until they fit.
        const int room = Scaled(MaxHeight(control)) - BoxFrame();
        const int pixels =
            FittingFontPixels(Scaled(control.fontPixels), LineHeight(fmMain, font), room);
        if (pixels != Scaled(control.fontPixels)) {
            fonts_.back().reset(CreateFormFont(pixels, control.bold));
            font = fonts_.back().get();
        }
    }
    if (font == nullptr) {
        throw Error("Cannot create the window's fonts and brushes");
    }
    return font;
}

void TfmMain::BuildControls() {
    // Created in the table's order, which is the tab order: the tree, the
    // rename box, the four boxes, the buttons.
    int id = 1000;
    for (const FormControl& control : FormControls()) {
        const wchar_t* windowClass = nullptr;
        DWORD style = WS_CHILD | WS_VISIBLE;
        DWORD exStyle = 0;
        switch (control.kind) {
            case ControlKind::Tree:
                windowClass = WC_TREEVIEWW;
                style |= WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                         TVS_SHOWSELALWAYS | TVS_INFOTIP;
                exStyle = WS_EX_CLIENTEDGE;
                break;
            case ControlKind::NameBox:
            case ControlKind::Box:
                windowClass = L"EDIT";
                style |=
                    WS_TABSTOP | ES_AUTOHSCROLL | (control.box == Box::PassWord ? ES_PASSWORD : 0);
                exStyle = WS_EX_CLIENTEDGE;
                break;
            case ControlKind::Hint:
                windowClass = L"STATIC";
                style |= SS_LEFT | SS_NOPREFIX;
                break;
            case ControlKind::Label:
                windowClass = L"STATIC";
                style |= SS_RIGHT | SS_NOPREFIX | SS_CENTERIMAGE;
                break;
            case ControlKind::Button:
                windowClass = L"BUTTON";
                style |= WS_TABSTOP | BS_OWNERDRAW;
                break;
            case ControlKind::Panel:
            case ControlKind::Rule:
                continue;  // drawn by the window itself
        }
        const std::wstring caption = Wide(control.caption);
        HWND window = ::CreateWindowExW(exStyle, windowClass, caption.c_str(), style, 0, 0, 0, 0,
                                        fmMain, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)),
                                        ::GetModuleHandleW(nullptr), nullptr);
        if (window == nullptr) {
            throw Error("Cannot create the window's controls");
        }
        HFONT font = FontFor(control);
        ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        controls_.push_back({&control, window, font});
        switch (control.kind) {
            case ControlKind::Tree:
                TreeView1 = window;
                break;
            case ControlKind::NameBox:
            case ControlKind::Box:
                boxes_[static_cast<std::size_t>(control.box)] = window;
                ::SetWindowSubclass(window, ControlProc, 0, reinterpret_cast<DWORD_PTR>(this));
                break;
            case ControlKind::Hint:
                Label5 = window;
                break;
            default:
                break;
        }
        if (std::strcmp(control.name, "btnSave") == 0) {
            btnSave = window;
        } else if (std::strcmp(control.name, "btnTest") == 0) {
            btnTest = window;
        }
    }
    ::SendMessageW(TreeView1, TVM_SETINDENT, static_cast<WPARAM>(Scaled(19)), 0);
    ::SetWindowSubclass(TreeView1, ControlProc, 0, reinterpret_cast<DWORD_PTR>(this));
    nodes_.Attach(TreeView1);
    nodes_.Insert(TVI_ROOT, MainForm::kRootText);
    ::SendMessageW(BoxWindow(Box::PassWord), EM_SETPASSWORDCHAR, static_cast<WPARAM>(L'*'), 0);
    // Nothing to test until the list is there and an alias is shown.
    ::EnableWindow(btnTest, FALSE);
}

void TfmMain::Layout() {
    // The tree takes the room beyond the form's size; Panel1 keeps its width
    // at the right edge; both take the full height. Panel1's controls keep
    // their places in it.
    RECT client{};
    ::GetClientRect(fmMain, &client);
    const int panelWidth = Scaled(FormGeometry::kPanelWidth);
    panelLeft_ = std::max(Scaled(kTreeWidth), FormGeometry::TreeWidth(client.right, panelWidth));
    const FormControl& panel2 = FormControlNamed("Panel2");
    HDWP moves = ::BeginDeferWindowPos(static_cast<int>(controls_.size()));
    for (const Placed& placed : controls_) {
        const FormControl& c = *placed.control;
        int left = Scaled(c.left);
        int top = Scaled(c.top);
        int width = Scaled(c.width);
        int height = Scaled(c.height);
        if (c.kind == ControlKind::Tree) {
            width = panelLeft_;
            height = client.bottom;
        } else {
            left += panelLeft_;
            if (std::strcmp(c.parent, "Panel2") == 0) {
                left += Scaled(panel2.left);
                top += Scaled(panel2.top);
            }
        }
        if (c.kind == ControlKind::Box) {
            height = std::max(height, LineHeight(placed.window, placed.font) + BoxFrame());
        }
        if (c.kind == ControlKind::Hint) {
            // A fallback font may need more than the 13 pixels 細明體 takes:
            // the hint then grows and the rule under it moves down, into the
            // free space above the first box.
            const int line = LineHeight(placed.window, placed.font);
            height = std::max(height, std::min(line, Scaled(61 - 34 - 4)));
            ruleTop_ = std::max(Scaled(FormControlNamed("Panel3").top), top + height);
        }
        moves = ::DeferWindowPos(moves, placed.window, nullptr, left, top, width, height,
                                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    }
    ::EndDeferWindowPos(moves);
    if (lbWorkDir != nullptr) {
        ::SetWindowPos(
            lbWorkDir, nullptr, panelLeft_ + Scaled(12), Scaled(277), Scaled(432),
            std::max(Scaled(16), LineHeight(lbWorkDir, reinterpret_cast<HFONT>(::SendMessageW(
                                                           lbWorkDir, WM_GETFONT, 0, 0)))),
            SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // Moved controls draw again whole, their sunken edges included.
    ::RedrawWindow(fmMain, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

HWND TfmMain::Control(const std::string& name) const {
    for (const Placed& placed : controls_) {
        if (name == placed.control->name) {
            return placed.window;
        }
    }
    return nullptr;
}

}  // namespace kvr
