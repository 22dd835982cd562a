#include "ui/win32/Frmmain.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <thread>
#include <utility>

#include "platform/Errors.h"
#include "platform/Text.h"
#include "texts/Labels.h"
#include "texts/Texts.h"
#include "ui/win32/FormFont.h"
#include "ui/win32/Frmkeyin.h"
#include "ui/win32/Wide.h"

namespace kvr {
namespace {

constexpr wchar_t kClassName[] = L"TfmMain";
// Messages the window posts to itself, to act once the system has finished
// with the message in hand.
constexpr UINT kActivated = WM_APP + 1;    // the window was activated
constexpr UINT kTreeClicked = WM_APP + 2;  // a click on the tree has been handled
constexpr UINT kBoxLeft = WM_APP + 3;      // the focus left a box (wParam: its Box)
// Polls KVRCFG so that the tree follows changes other programs make to it.
constexpr UINT_PTR kWatchTimer = 1;
constexpr UINT kWatchMilliseconds = 1000;

// Panel1's origin in the window's client area, and Panel2's in Panel1 (inside
// Panel1's bevel).
constexpr int kPanelLeft = TfmMain::kTreeWidth;
constexpr int kPanel2Left = kPanelLeft + 1;
constexpr int kPanel2Top = 1;

constexpr wchar_t kHint[] = L"修改KVR別名:請於上方黃框內修改,完成後請按下鍵盤\"Enter\"鍵。";

constexpr int kBoxCount = 5;

int BoxIndexOf(Box box) {
    return static_cast<int>(box);
}

bool IsInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) ||
           message == WM_NCMOUSEHOVER || message == WM_NCMOUSELEAVE || message == WM_MOUSEHOVER ||
           message == WM_MOUSELEAVE;
}

void DropInput() {
    MSG msg;
    const UINT ranges[][2] = {{WM_KEYFIRST, WM_KEYLAST},
                              {WM_MOUSEFIRST, WM_MOUSELAST},
                              {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK}};
    for (const auto& range : ranges) {
        while (::PeekMessageW(&msg, nullptr, range[0], range[1], PM_REMOVE)) {
        }
    }
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

TfmMain::TfmMain(std::wstring title, MainFormServices services, WindowSeams seams)
    : title_(std::move(title)), seams_(std::move(seams)), form_(*this, std::move(services)) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    if (!::GetClassInfoExW(instance, kClassName, &windowClass)) {
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = instance;
        windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
        windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kClassName;
        ::RegisterClassExW(&windowClass);
    }

    HDC screen = ::GetDC(nullptr);
    dpi_ = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);

    ruleTop_ = Scaled(47);
    formFont_ = CreateFormFont(Scaled(15));
    nameFont_ = CreateFormFont(Scaled(19), true);
    hintFont_ = CreateFormFont(Scaled(13));
    fieldFont_ = CreateFormFont(Scaled(19));
    passwordFont_ = CreateFormFont(Scaled(19), true);
    yellow_ = ::CreateSolidBrush(RGB(255, 255, 0));
    aqua_ = ::CreateSolidBrush(RGB(0, 255, 255));

    // Centred on the screen's work area, at the form's outer size.
    const int width = Scaled(kOuterWidth);
    const int height = Scaled(kOuterHeight);
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    fmMain = ::CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, Wide(MainForm::kRootText).c_str(),
                               WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                               area.left + (area.right - area.left - width) / 2,
                               area.top + (area.bottom - area.top - height) / 2, width, height,
                               nullptr, nullptr, instance, this);
    if (fmMain == nullptr) {
        throw Error("Cannot create the main window");
    }
    BuildControls();
    Layout();
    form_.FormCreate();
}

TfmMain::~TfmMain() {
    if (fmMain != nullptr) {
        ::DestroyWindow(fmMain);
    }
    if (pmMenu != nullptr) {
        ::DestroyMenu(pmMenu);
    }
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(formFont_), static_cast<HGDIOBJ>(nameFont_),
                           static_cast<HGDIOBJ>(hintFont_), static_cast<HGDIOBJ>(fieldFont_),
                           static_cast<HGDIOBJ>(passwordFont_), static_cast<HGDIOBJ>(yellow_),
                           static_cast<HGDIOBJ>(aqua_)}) {
        if (object != nullptr) {
            ::DeleteObject(object);
        }
    }
}

int TfmMain::Scaled(int pixels) const {
    return ::MulDiv(pixels, dpi_, 96);
}

HWND TfmMain::AddControl(const char* name, const wchar_t* windowClass, const wchar_t* text,
                         DWORD style, DWORD exStyle, int x, int y, int width, int height,
                         HFONT font) {
    const int id = static_cast<int>(names_.size()) + 1000;
    HWND control = ::CreateWindowExW(exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style,
                                     Scaled(x), Scaled(y), Scaled(width), Scaled(height), fmMain,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                     ::GetModuleHandleW(nullptr), nullptr);
    if (control == nullptr) {
        throw Error("Cannot create the window's controls");
    }
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    names_.emplace_back(name, control);
    return control;
}

void TfmMain::BuildControls() {
    // Created in tab order: the tree, the rename box, the four boxes, the buttons.
    TreeView1 = AddControl("TreeView1", WC_TREEVIEWW, L"",
                           WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                               TVS_SHOWSELALWAYS | TVS_INFOTIP,
                           WS_EX_CLIENTEDGE, 0, 0, kTreeWidth, 100, formFont_);
    ::SendMessageW(TreeView1, TVM_SETINDENT, static_cast<WPARAM>(Scaled(19)), 0);
    ::SetWindowSubclass(TreeView1, ControlProc, 0, reinterpret_cast<DWORD_PTR>(this));
    Insert(TVI_ROOT, MainForm::kRootText, NewId(nullptr));

    edName = AddControl("edName", L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                        kPanel2Left + 8, kPanel2Top + 4, 430, 27, nameFont_);
    Label5 = AddControl("Label5", L"STATIC", kHint, SS_LEFT | SS_NOPREFIX, 0, kPanelLeft + 12, 34,
                        406, 13, hintFont_);
    // A fallback font may need more than the 13 pixels 細明體 takes: the
    // hint then grows and the rule under it moves down, into the free space
    // above the first box.
    HDC dc = ::GetDC(Label5);
    HGDIOBJ old = ::SelectObject(dc, hintFont_);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(Label5, dc);
    if (metrics.tmHeight > Scaled(13)) {
        const int height = std::min<int>(metrics.tmHeight, Scaled(61 - 34 - 4));
        ::SetWindowPos(Label5, nullptr, 0, 0, Scaled(406), height, SWP_NOMOVE | SWP_NOZORDER);
        ruleTop_ = Scaled(34) + height;
    }

    struct Field {
        HWND& label;
        const char* labelName;
        const char16_t* caption;  // shown followed by ":"
        HWND& box;
        const char* boxName;
        int top;
    };
    const Field fields[] = {
        {Label1, "Label1", texts::kFieldLabels[0], edDatabaseName, "edDatabaseName", 61},
        {Label2, "Label2", texts::kFieldLabels[1], edServerName, "edServerName", 109},
        {Label3, "Label3", texts::kFieldLabels[2], edUserName, "edUserName", 157},
        {Label4, "Label4", texts::kFieldLabels[3], edPassWord, "edPassWord", 205},
    };
    for (const Field& field : fields) {
        field.label = AddControl(field.labelName, L"STATIC",
                                 Wide(std::u16string(field.caption) + u":").c_str(),
                                 SS_RIGHT | SS_NOPREFIX | SS_CENTERIMAGE, 0, kPanelLeft + 12,
                                 field.top + 3, 115, 19, fieldFont_);
    }
    for (const Field& field : fields) {
        const bool password = &field.box == &edPassWord;
        field.box =
            AddControl(field.boxName, L"EDIT", L"",
                       WS_TABSTOP | ES_AUTOHSCROLL | (password ? ES_PASSWORD : 0), WS_EX_CLIENTEDGE,
                       kPanelLeft + 130, field.top, 308, 27, password ? passwordFont_ : fieldFont_);
    }
    ::SendMessageW(edPassWord, EM_SETPASSWORDCHAR, static_cast<WPARAM>(L'*'), 0);
    for (HWND box : {edName, edDatabaseName, edServerName, edUserName, edPassWord}) {
        ::SetWindowSubclass(box, ControlProc, 0, reinterpret_cast<DWORD_PTR>(this));
    }

    btnSave = AddControl("btnSave", L"BUTTON", L"存 檔", WS_TABSTOP | BS_OWNERDRAW, 0,
                         kPanelLeft + 187, 242, 94, 31, formFont_);
    btnTest = AddControl("btnTest", L"BUTTON", L"連線測試", WS_TABSTOP | BS_OWNERDRAW, 0,
                         kPanelLeft + 315, 242, 86, 31, formFont_);

    pmMenu = ::CreatePopupMenu();
}

void TfmMain::Layout() {
    // The tree takes the client area's full height; everything else keeps its
    // place.
    RECT client{};
    ::GetClientRect(fmMain, &client);
    ::MoveWindow(TreeView1, 0, 0, Scaled(kTreeWidth), client.bottom, TRUE);
    ::InvalidateRect(fmMain, nullptr, TRUE);
}

void TfmMain::Paint() {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(fmMain, &paint);
    RECT client{};
    ::GetClientRect(fmMain, &client);
    // Panel1: the rest of the window, a lowered inner bevel.
    RECT panel1{Scaled(kPanelLeft), 0, client.right, client.bottom};
    ::DrawEdge(dc, &panel1, BDR_SUNKENINNER, BF_RECT);
    // Panel3: the rule under the hint.
    RECT panel3{Scaled(kPanelLeft + 8), ruleTop_, Scaled(kPanelLeft + 8 + 432),
                ruleTop_ + Scaled(3)};
    ::DrawEdge(dc, &panel3, BDR_SUNKENOUTER, BF_RECT);
    ::EndPaint(fmMain, &paint);
}

HWND TfmMain::Control(const std::string& name) const {
    for (const auto& [controlName, window] : names_) {
        if (controlName == name) {
            return window;
        }
    }
    return nullptr;
}

bool TfmMain::IsOurs(HWND window) const {
    return window != nullptr && (window == fmMain || ::IsChild(fmMain, window));
}

bool TfmMain::PreTranslate(MSG& msg) {
    if (fmMain == nullptr || !IsOurs(msg.hwnd)) {
        return false;
    }
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        const int key = static_cast<int>(msg.wParam);
        const KeyModifiers modifiers{::GetKeyState(VK_SHIFT) < 0, ::GetKeyState(VK_CONTROL) < 0,
                                     ::GetKeyState(VK_MENU) < 0};
        // The window sees every key first, then the tree its own. The menu
        // key comes to the tree as WM_CONTEXTMENU.
        if (form_.FormKeyDown(key, modifiers)) {
            return true;
        }
        if (msg.hwnd == TreeView1 && key != kKeyApps && form_.TreeView1KeyDown(key, modifiers)) {
            return true;
        }
    }
    return ::IsDialogMessageW(fmMain, &msg) != FALSE;
}

// --- window messages ----------------------------------------------------------

LRESULT CALLBACK TfmMain::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TfmMain* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<TfmMain*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->fmMain = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<TfmMain*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (self == nullptr || self->fmMain == nullptr) {
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return self->Handle(msg, wParam, lParam);
}

LRESULT TfmMain::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                // Remembered so that the same control has the focus when the
                // window comes back (after a message box, for one).
                HWND focus = ::GetFocus();
                focusBeforeDeactivation_ = IsOurs(focus) && focus != fmMain ? focus : nullptr;
                return 0;
            }
            ::PostMessageW(fmMain, kActivated, 0, 0);
            if (!running_) {
                ::SetFocus(focusBeforeDeactivation_ != nullptr &&
                                   ::IsWindowEnabled(focusBeforeDeactivation_)
                               ? focusBeforeDeactivation_
                               : TreeView1);
            }
            return 0;
        case kActivated:
            form_.FormActivate();  // does its work on the first activation only
            if (!watching_ && !form_.FirstActivatePending()) {
                watching_ = true;
                FileStateChanged();  // the state the tree was built from
                ::SetTimer(fmMain, kWatchTimer, kWatchMilliseconds, nullptr);
            }
            return 0;
        case WM_TIMER:
            // Not while a box or dialog owns the window (it is disabled then)
            // or a test runs: the command waiting on it counts on the tree as
            // it left it. The change is seen on a later tick.
            if (wParam == kWatchTimer && !running_ && ::IsWindowEnabled(fmMain) &&
                FileStateChanged()) {
                form_.AliasFileChanged();
            }
            return 0;
        case kTreeClicked:
            form_.TreeView1Click();
            return 0;
        case kBoxLeft: {
            const auto box = static_cast<Box>(wParam);
            if (box == Box::Name) {
                form_.edNameExit();
            }
            return 0;
        }
        case WM_SIZE:
            Layout();
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {Scaled(kOuterWidth), Scaled(kOuterHeight)};
            return 0;
        }
        case WM_PAINT:
            Paint();
            return 0;
        case WM_SETCURSOR:
            if (running_) {
                ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
                return TRUE;
            }
            break;
        case WM_COMMAND: {
            HWND source = reinterpret_cast<HWND>(lParam);
            const UINT code = HIWORD(wParam);
            if (source == btnSave && code == BN_CLICKED) {
                form_.btnSaveClick();
                return 0;
            }
            if (source == btnTest && code == BN_CLICKED) {
                form_.btnTestClick();
                return 0;
            }
            if (source == nullptr && LOWORD(wParam) == IDOK) {
                // Enter, as the keyboard interface reports it: it presses the
                // button that has the focus.
                HWND focus = ::GetFocus();
                if ((focus == btnSave || focus == btnTest) && ::IsWindowEnabled(focus)) {
                    ::SendMessageW(focus, BM_CLICK, 0, 0);
                }
                return 0;
            }
            break;
        }
        case WM_NOTIFY:
            return Notify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_CONTEXTMENU:
            OnContextMenu(reinterpret_cast<HWND>(wParam), lParam);
            return 0;
        case WM_CTLCOLOREDIT: {
            HBRUSH brush =
                BoxColours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
            if (brush != nullptr) {
                return reinterpret_cast<LRESULT>(brush);
            }
            break;
        }
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            HWND label = reinterpret_cast<HWND>(lParam);
            ::SetBkMode(dc, TRANSPARENT);
            ::SetTextColor(dc, label == Label5 ? RGB(255, 0, 0) : ::GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_DRAWITEM:
            DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_CLOSE:
            Close();
            return 0;
        case WM_DESTROY:
            fmMain = nullptr;
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(fmMain, msg, wParam, lParam);
}

void TfmMain::Close() {
    if (running_) {
        return;  // the window takes no input until the work is done
    }
    if (!form_.FormCloseQuery()) {
        return;  // unsaved texts, and the user chose to stay
    }
    form_.FormClose();
    ::DestroyWindow(fmMain);
}

LRESULT TfmMain::Notify(const NMHDR& header) {
    if (header.hwndFrom != TreeView1) {
        return 0;
    }
    switch (header.code) {
        case NM_CLICK:
            // The tree moves its selection after it reports the click; the
            // handler runs once the click is through.
            ::PostMessageW(fmMain, kTreeClicked, 0, 0);
            return 0;
        case NM_RCLICK:
            OnTreeRightClick();
            return TRUE;  // no WM_CONTEXTMENU as well
        case TVN_GETINFOTIPW: {
            // The root's tooltip names the work directory.
            const auto& tip = reinterpret_cast<const NMTVGETINFOTIPW&>(header);
            if (tip.hItem == TreeView_GetRoot(TreeView1) && tip.cchTextMax > 0) {
                ::lstrcpynW(tip.pszText, workDirText_.c_str(), tip.cchTextMax);
            }
            return 0;
        }
        case TVN_DELETEITEMW: {
            const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
            const auto id = static_cast<std::size_t>(change.itemOld.lParam);
            if (id < nodes_.size()) {
                nodes_[id] = nullptr;
            }
            return 0;
        }
        default:
            return 0;
    }
}

LRESULT CALLBACK TfmMain::ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR data) {
    return reinterpret_cast<TfmMain*>(data)->HandleControl(hwnd, msg, wParam, lParam);
}

LRESULT TfmMain::HandleControl(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (control == TreeView1) {
        if (msg == WM_RBUTTONDOWN) {
            lastRightClick_ = {static_cast<short>(LOWORD(lParam)),
                               static_cast<short>(HIWORD(lParam))};
        }
        return ::DefSubclassProc(control, msg, wParam, lParam);
    }
    const int index = BoxIndex(control);
    switch (msg) {
        case WM_GETDLGCODE:
            // Enter and Escape reach the rename box instead of the buttons.
            if (control == edName && lParam != 0 &&
                reinterpret_cast<const MSG*>(lParam)->message == WM_KEYDOWN &&
                (reinterpret_cast<const MSG*>(lParam)->wParam == VK_RETURN ||
                 reinterpret_cast<const MSG*>(lParam)->wParam == VK_ESCAPE)) {
                return DLGC_WANTALLKEYS | ::DefSubclassProc(control, msg, wParam, lParam);
            }
            break;
        case WM_KEYDOWN:
            if (control == edName) {
                form_.edNameKeyDown(static_cast<int>(wParam));
                if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
                    return 0;
                }
            }
            break;
        case WM_CHAR:
            if (control == edName && (wParam == L'\r' || wParam == 0x1B)) {
                return 0;  // no beep for Enter or Escape
            }
            break;
        case WM_SETFOCUS: {
            const LRESULT result = ::DefSubclassProc(control, msg, wParam, lParam);
            // Focus that comes back from another window (a message box, a
            // menu) is no entering of the box.
            if (IsOurs(reinterpret_cast<HWND>(wParam))) {
                if (control == edName) {
                    form_.edNameEnter();
                } else {
                    form_.edDatabaseNameEnter(static_cast<Box>(index));
                }
            }
            return result;
        }
        case WM_KILLFOCUS: {
            const LRESULT result = ::DefSubclassProc(control, msg, wParam, lParam);
            if (IsOurs(reinterpret_cast<HWND>(wParam))) {
                if (control == edName) {
                    // Asked once the focus has settled on the new control.
                    ::PostMessageW(fmMain, kBoxLeft, static_cast<WPARAM>(Box::Name), 0);
                } else {
                    form_.edDatabaseNameExit(static_cast<Box>(index));
                }
            }
            return result;
        }
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(control, ControlProc, 0);
            break;
        default:
            break;
    }
    return ::DefSubclassProc(control, msg, wParam, lParam);
}

HBRUSH TfmMain::BoxColours(HWND box, HDC dc) {
    if (box == edName) {
        ::SetTextColor(dc, nameColour_);
        ::SetBkColor(dc, RGB(255, 255, 0));
        return yellow_;
    }
    const int index = BoxIndex(box);
    if (index > 0 && aqua_boxes_[static_cast<std::size_t>(index)]) {
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        ::SetBkColor(dc, RGB(0, 255, 255));
        return aqua_;
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
    // The captions' colours: green for 存 檔, blue for 連線測試; grey when the
    // button cannot be pressed.
    const COLORREF colour = disabled                   ? ::GetSysColor(COLOR_GRAYTEXT)
                            : item.hwndItem == btnSave ? RGB(0, 128, 0)
                                                       : RGB(0, 0, 255);
    const std::wstring caption = WindowText(item.hwndItem);
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

// --- popup menu -----------------------------------------------------------------

void TfmMain::OnTreeRightClick() {
    // A right click on a node selects it; on empty space the menu serves the
    // node already selected.
    TVHITTESTINFO hit{};
    hit.pt = lastRightClick_;
    const auto item = reinterpret_cast<HTREEITEM>(
        ::SendMessageW(TreeView1, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (item != nullptr && (hit.flags & TVHT_ONITEM) != 0) {
        ::SendMessageW(TreeView1, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    }
    POINT screen = lastRightClick_;
    ::ClientToScreen(TreeView1, &screen);
    PopupAt(screen);
}

void TfmMain::OnContextMenu(HWND source, LPARAM lParam) {
    if (source != TreeView1) {
        return;
    }
    if (lParam == -1) {
        OpenMenu();  // from the keyboard
        return;
    }
    PopupAt({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
}

void TfmMain::OpenMenu() {
    // Under the selected node.
    POINT screen{0, 0};
    RECT rect{};
    auto item =
        reinterpret_cast<HTREEITEM>(::SendMessageW(TreeView1, TVM_GETNEXTITEM, TVGN_CARET, 0));
    std::memcpy(&rect, &item, sizeof item);  // the item goes in, its rectangle comes out
    if (item != nullptr &&
        ::SendMessageW(TreeView1, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect))) {
        screen = {rect.left, rect.bottom};
    }
    ::ClientToScreen(TreeView1, &screen);
    PopupAt(screen);
}

void TfmMain::FocusNameBox() {
    ::SetFocus(edName);
    ::SendMessageW(edName, EM_SETSEL, 0, -1);
}

void TfmMain::PopupAt(POINT screen) {
    form_.pmMenuPopup();
    while (::GetMenuItemCount(pmMenu) > 0) {
        ::DeleteMenu(pmMenu, 0, MF_BYPOSITION);
    }
    // Item ids are the items' tags.
    const wchar_t* captions[] = {L"新增KVR別名", L"刪除KVR別名", L"連線測試"};
    for (int i = 0; i < 3; ++i) {
        if (menuItems_[i]) {
            ::AppendMenuW(pmMenu, MF_STRING, static_cast<UINT_PTR>(i + 1), captions[i]);
        }
    }
    if (::GetMenuItemCount(pmMenu) == 0) {
        return;
    }
    const UINT command = seams_.trackPopup(pmMenu, fmMain, screen);
    if (command != 0) {
        form_.pmnNewClick(static_cast<int>(command));
    }
}

void TfmMain::ShowMenuItems(bool newItem, bool deleteItem, bool testItem) {
    menuItems_[0] = newItem;
    menuItems_[1] = deleteItem;
    menuItems_[2] = testItem;
}

// --- tree -----------------------------------------------------------------------

NodeId TfmMain::NewId(HTREEITEM item) {
    nodes_.push_back(item);
    return static_cast<NodeId>(nodes_.size() - 1);
}

HTREEITEM TfmMain::Insert(HTREEITEM parent, const std::u16string& text, NodeId id) {
    std::wstring wide = Wide(text);
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = wide.data();
    insert.item.lParam = static_cast<LPARAM>(id);
    auto item = reinterpret_cast<HTREEITEM>(
        ::SendMessageW(TreeView1, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    nodes_[static_cast<std::size_t>(id)] = item;
    return item;
}

NodeId TfmMain::Id(HTREEITEM item) const {
    if (item == nullptr) {
        return kNoNode;
    }
    TVITEMW data{};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (!::SendMessageW(TreeView1, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) {
        return kNoNode;
    }
    return static_cast<NodeId>(data.lParam);
}

HTREEITEM TfmMain::Item(NodeId node) const {
    if (node < 0 || static_cast<std::size_t>(node) >= nodes_.size()) {
        return nullptr;
    }
    return nodes_[static_cast<std::size_t>(node)];
}

NodeId TfmMain::RootNode() {
    return Id(
        reinterpret_cast<HTREEITEM>(::SendMessageW(TreeView1, TVM_GETNEXTITEM, TVGN_ROOT, 0)));
}

NodeId TfmMain::SelectedNode() {
    return Id(
        reinterpret_cast<HTREEITEM>(::SendMessageW(TreeView1, TVM_GETNEXTITEM, TVGN_CARET, 0)));
}

void TfmMain::SelectNode(NodeId node) {
    if (HTREEITEM item = Item(node)) {
        ::SendMessageW(TreeView1, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    }
}

std::u16string TfmMain::NodeText(NodeId node) {
    HTREEITEM item = Item(node);
    if (item == nullptr) {
        return {};
    }
    // Alias names are short; a longer text is read again with room for it.
    for (std::size_t room = 256;; room *= 4) {
        std::wstring text(room, L'\0');
        TVITEMW data{};
        data.mask = TVIF_TEXT;
        data.hItem = item;
        data.pszText = text.data();
        data.cchTextMax = static_cast<int>(room);
        ::SendMessageW(TreeView1, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
        const std::size_t length = std::wstring_view(data.pszText).size();
        if (length + 1 < room || room >= 65536) {
            return std::u16string(data.pszText, data.pszText + length);
        }
    }
}

std::vector<NodeId> TfmMain::Children(NodeId node) {
    std::vector<NodeId> children;
    HTREEITEM item = Item(node);
    if (item == nullptr) {
        return children;
    }
    auto child = reinterpret_cast<HTREEITEM>(
        ::SendMessageW(TreeView1, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
    while (child != nullptr) {
        children.push_back(Id(child));
        child = reinterpret_cast<HTREEITEM>(
            ::SendMessageW(TreeView1, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)));
    }
    return children;
}

void TfmMain::SetNodeText(NodeId node, const std::u16string& text) {
    if (HTREEITEM item = Item(node)) {
        std::wstring wide = Wide(text);
        TVITEMW data{};
        data.mask = TVIF_TEXT;
        data.hItem = item;
        data.pszText = wide.data();
        ::SendMessageW(TreeView1, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    }
}

void TfmMain::AddChildren(NodeId parent, const std::vector<std::u16string>& texts) {
    HTREEITEM parentItem = Item(parent);
    if (parentItem == nullptr) {
        return;
    }
    ::SendMessageW(TreeView1, WM_SETREDRAW, FALSE, 0);
    for (const std::u16string& text : texts) {
        Insert(parentItem, text, NewId(nullptr));
    }
    ::SendMessageW(TreeView1, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(TreeView1, nullptr, TRUE);
}

NodeId TfmMain::AddChild(NodeId parent, const std::u16string& text) {
    HTREEITEM parentItem = Item(parent);
    if (parentItem == nullptr) {
        return kNoNode;
    }
    const NodeId id = NewId(nullptr);
    Insert(parentItem, text, id);
    return id;
}

NodeId TfmMain::AddSibling(NodeId node, const std::u16string& text) {
    HTREEITEM item = Item(node);
    if (item == nullptr) {
        return kNoNode;
    }
    auto parent = reinterpret_cast<HTREEITEM>(
        ::SendMessageW(TreeView1, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
    const NodeId id = NewId(nullptr);
    Insert(parent != nullptr ? parent : TVI_ROOT, text, id);
    return id;
}

void TfmMain::DeleteNode(NodeId node) {
    // TVN_DELETEITEM forgets the ids of the node and everything below it.
    if (HTREEITEM item = Item(node)) {
        ::SendMessageW(TreeView1, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
    }
}

void TfmMain::FullExpand(NodeId node) {
    HTREEITEM item = Item(node);
    if (item == nullptr) {
        return;
    }
    std::vector<HTREEITEM> pending{item};
    while (!pending.empty()) {
        HTREEITEM next = pending.back();
        pending.pop_back();
        auto child = reinterpret_cast<HTREEITEM>(
            ::SendMessageW(TreeView1, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(next)));
        if (child == nullptr) {
            continue;  // leaves cannot open
        }
        ::SendMessageW(TreeView1, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(next));
        for (; child != nullptr;
             child = reinterpret_cast<HTREEITEM>(::SendMessageW(
                 TreeView1, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)))) {
            pending.push_back(child);
        }
    }
}

void TfmMain::FullCollapse() {
    std::vector<HTREEITEM> pending;
    for (auto top =
             reinterpret_cast<HTREEITEM>(::SendMessageW(TreeView1, TVM_GETNEXTITEM, TVGN_ROOT, 0));
         top != nullptr;
         top = reinterpret_cast<HTREEITEM>(::SendMessageW(TreeView1, TVM_GETNEXTITEM, TVGN_NEXT,
                                                          reinterpret_cast<LPARAM>(top)))) {
        pending.push_back(top);
    }
    while (!pending.empty()) {
        HTREEITEM next = pending.back();
        pending.pop_back();
        auto child = reinterpret_cast<HTREEITEM>(
            ::SendMessageW(TreeView1, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(next)));
        if (child == nullptr) {
            continue;
        }
        ::SendMessageW(TreeView1, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(next));
        for (; child != nullptr;
             child = reinterpret_cast<HTREEITEM>(::SendMessageW(
                 TreeView1, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)))) {
            pending.push_back(child);
        }
    }
}

// --- boxes ----------------------------------------------------------------------

HWND TfmMain::BoxWindow(Box box) const {
    switch (box) {
        case Box::Name:
            return edName;
        case Box::DatabaseName:
            return edDatabaseName;
        case Box::ServerName:
            return edServerName;
        case Box::UserName:
            return edUserName;
        case Box::PassWord:
            return edPassWord;
    }
    return edName;
}

int TfmMain::BoxIndex(HWND window) const {
    for (int i = 0; i < kBoxCount; ++i) {
        if (BoxWindow(static_cast<Box>(i)) == window) {
            return i;
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
    ::InvalidateRect(edName, nullptr, TRUE);
}

void TfmMain::SetBoxBackground(Box box, Colour colour) {
    aqua_boxes_[static_cast<std::size_t>(BoxIndexOf(box))] = colour == Colour::Aqua;
    ::InvalidateRect(BoxWindow(box), nullptr, TRUE);
}

void TfmMain::SetTestEnabled(bool enabled) {
    ::EnableWindow(btnTest, enabled ? TRUE : FALSE);
}

// Whether KVRCFG's last write time or size differs from the last call's.
bool TfmMain::FileStateChanged() {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const std::string path = form_.WorkDir() + "KVRCFG";
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        data = {};  // a missing file counts as one more state
    }
    const ULONGLONG size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    const bool changed =
        ::CompareFileTime(&data.ftLastWriteTime, &fileWritten_) != 0 || size != fileSize_;
    fileWritten_ = data.ftLastWriteTime;
    fileSize_ = size;
    return changed;
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
        // Below the buttons, in the room the panel leaves at its foot.
        lbWorkDir = AddControl("lbWorkDir", L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS,
                               0, kPanelLeft + 12, 277, 432, 16, hintFont_);
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
    HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (done == nullptr) {
        throw Error("Cannot create an event");
    }
    running_ = true;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::SetCursorPos(cursor.x, cursor.y);  // shows the busy cursor at once

    std::exception_ptr failure;
    std::thread worker([&work, &failure, done] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        ::SetEvent(done);
    });
    // Repaints and every other message go on; the user's input is dropped.
    bool quit = false;
    int quitCode = 0;
    while (::MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = static_cast<int>(msg.wParam);
                continue;
            }
            if (IsInput(msg.message)) {
                continue;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    worker.join();
    ::CloseHandle(done);
    // Nothing the user did while waiting acts after the fact.
    DropInput();
    running_ = false;
    ::SetCursorPos(cursor.x, cursor.y);
    if (quit) {
        ::PostQuitMessage(quitCode);
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

}  // namespace kvr
