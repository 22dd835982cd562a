#include "ui/win32/Frmmain.h"

#include <cstring>
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
constexpr UINT kTreeClicked = WM_APP + 2;  // a click on a node has been handled
constexpr UINT kBoxLeft = WM_APP + 3;      // the focus left a box (wParam: its Box)

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

    fonts_.emplace_back(CreateFormFont(Scaled(FormGeometry::kFontPixels)));
    formFont_ = fonts_.back().get();
    yellow_.reset(::CreateSolidBrush(RGB(255, 255, 0)));
    aqua_.reset(::CreateSolidBrush(RGB(0, 255, 255)));
    pmMenu.reset(::CreatePopupMenu());
    if (formFont_ == nullptr || !yellow_ || !aqua_ || !pmMenu) {
        throw Error("Cannot create the window's fonts and brushes");
    }

    // Centred on the screen's work area, at the form's outer size.
    const int width = Scaled(kOuterWidth);
    const int height = Scaled(kOuterHeight);
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    ::CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, Wide(MainForm::kRootText).c_str(),
                      WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                      area.left + (area.right - area.left - width) / 2,
                      area.top + (area.bottom - area.top - height) / 2, width, height, nullptr,
                      nullptr, instance, this);
    if (fmMain == nullptr) {
        throw Error("Cannot create the main window");
    }
    BuildControls();
    Layout();
    form_.FormCreate();
}

TfmMain::~TfmMain() = default;

bool TfmMain::IsOurs(HWND window) const {
    return window != nullptr && fmMain != nullptr &&
           (window == fmMain || ::IsChild(fmMain, window));
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
    if (self == nullptr || self->fmMain != hwnd) {
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
            if (!watch_ && !form_.FirstActivatePending()) {
                WatchAliasFile();
            }
            return 0;
        case kFolderChanged:
            changePosted_ = false;
            // MainForm holds the refresh while a question, the menu, the
            // name dialog or a test is open, and runs it when they are over.
            if (FileStateChanged()) {
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
        case WM_QUERYENDSESSION:
            // Logging off or shutting down asks as closing does; No to the
            // end of the session keeps the window, and the session, going.
            return form_.FormCloseQuery() ? TRUE : FALSE;
        case WM_ENDSESSION:
            if (wParam != FALSE) {
                form_.FormClose();
            }
            return 0;
        case WM_CLOSE:
            Close();
            return 0;
        case WM_DESTROY:
            watch_.reset();
            fmMain = nullptr;
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(fmMain, msg, wParam, lParam);
}

void TfmMain::Close() {
    if (!form_.FormCloseQuery()) {
        return;  // a test runs, or unsaved texts and the user chose to stay
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
            OnTreeClick();
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
        case TVN_ITEMEXPANDINGW: {
            // The aliases listed at start-up get their items as the root opens.
            const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
            if (nodes_.Waiting(change.itemNew.hItem)) {
                nodes_.CreateWaiting();
            }
            return FALSE;
        }
        case TVN_DELETEITEMW: {
            const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
            nodes_.Forget(change.itemOld.lParam);
            return 0;
        }
        default:
            return 0;
    }
}

void TfmMain::OnTreeClick() {
    // Only a click on a node loads it: not one on empty space, nor on a +/-
    // button. The tree moves its selection after it reports the click; the
    // handler runs once the click is through.
    TVHITTESTINFO hit{};
    hit.pt = lastClick_;
    ::SendMessageW(TreeView1, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.hItem != nullptr && (hit.flags & TVHT_ONITEM) != 0) {
        ::PostMessageW(fmMain, kTreeClicked, 0, 0);
    }
}

LRESULT CALLBACK TfmMain::ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR data) {
    auto* self = reinterpret_cast<TfmMain*>(data);
    if (msg == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, ControlProc, 0);
        return ::DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    if (self->fmMain == nullptr) {
        return ::DefSubclassProc(hwnd, msg, wParam, lParam);  // the window is going
    }
    return self->HandleControl(hwnd, msg, wParam, lParam);
}

LRESULT TfmMain::HandleControl(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND edName = BoxWindow(Box::Name);
    if (control == TreeView1) {
        if (msg == WM_RBUTTONDOWN) {
            lastRightClick_ = {static_cast<short>(LOWORD(lParam)),
                               static_cast<short>(HIWORD(lParam))};
        } else if (msg == WM_LBUTTONDOWN) {
            lastClick_ = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
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
        default:
            break;
    }
    return ::DefSubclassProc(control, msg, wParam, lParam);
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
    ::SetFocus(BoxWindow(Box::Name));
    ::SendMessageW(BoxWindow(Box::Name), EM_SETSEL, 0, -1);
}

void TfmMain::PopupAt(POINT screen) {
    form_.pmMenuPopup();
    HMENU menu = pmMenu.get();
    while (::GetMenuItemCount(menu) > 0) {
        ::DeleteMenu(menu, 0, MF_BYPOSITION);
    }
    // Item ids are the items' tags.
    const wchar_t* captions[] = {L"新增KVR別名", L"刪除KVR別名", L"連線測試"};
    for (int i = 0; i < 3; ++i) {
        if (menuItems_[i]) {
            ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(i + 1), captions[i]);
        }
    }
    if (::GetMenuItemCount(menu) == 0) {
        form_.pmMenuClosed();
        return;
    }
    const UINT command = seams_.trackPopup(menu, fmMain, screen);
    if (command != 0) {
        form_.pmnNewClick(static_cast<int>(command));
    } else {
        form_.pmMenuClosed();
    }
}

void TfmMain::ShowMenuItems(bool newItem, bool deleteItem, bool testItem) {
    menuItems_[0] = newItem;
    menuItems_[1] = deleteItem;
    menuItems_[2] = testItem;
}

}  // namespace kvr
