// The real Windows window, created in this process and driven with window
// messages. The modal loops of the system (message boxes, the popup menu) are
// replaced through the window's seams; the name dialog is real.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Errors.h"
#include "store/AliasFile.h"
#include "store/Cencrpyt.h"
#include "ui/win32/Frmmain.h"

namespace kvr {
namespace {

namespace fs = std::filesystem;

constexpr wchar_t kTitle[] = L"Kvrtest";  // the application's title in these tests

struct ShownBox {
    std::wstring text;
    std::wstring caption;
    UINT flags = 0;
};

std::wstring Text(HWND window) {
    wchar_t buffer[512] = {};
    ::GetWindowTextW(window, buffer, 512);
    return buffer;
}

// Where a control sits in the main window's client area.
RECT Place(HWND control) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class WindowTest : public ::testing::Test {
  protected:
    WindowTest() {
        static std::atomic<int> counter{0};
        dir_ =
            fs::temp_directory_path() / ("kvr-window-" + std::to_string(::GetCurrentProcessId()) +
                                         "-" + std::to_string(++counter));
        fs::create_directories(dir_);
        workDir_ = dir_.string() + "\\";

        services_.currentDirectory = [this] { return workDir_; };
        services_.publishSettings = [this](const std::string&) {
            if (publishFailure_) {
                throw RegistryError(publishFailure_);
            }
        };
        services_.openConnection = [this](const std::string& connectionString) {
            return connect_(connectionString);
        };
        services_.clock = [] { return platform::LocalTime{2026, 12, 8, 15, 30, 45, 0}; };
        connect_ = [](const std::string&) { return ConnectionOutcome{false, {}}; };

        seams_.messageBox = [this](HWND, const std::wstring& text, const std::wstring& caption,
                                   UINT flags) {
            boxes_.push_back({text, caption, flags});
            if (answers_.empty()) {
                return IDOK;
            }
            const int answer = answers_.front();
            answers_.pop_front();
            return answer;
        };
        seams_.trackPopup = [this](HMENU menu, HWND, POINT) {
            std::vector<std::wstring> items;
            for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
                wchar_t caption[64] = {};
                ::GetMenuStringW(menu, static_cast<UINT>(i), caption, 64, MF_BYPOSITION);
                items.push_back(caption);
            }
            menus_.push_back(items);
            return menuChoice_;
        };
        seams_.nameDialogShown = [this](HWND dialog, HWND box) {
            if (onNameDialog_) {
                onNameDialog_(dialog, box);
            }
        };
    }

    ~WindowTest() override {
        window_.reset();
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    void WriteFile(const std::string& bytes) {
        std::ofstream(dir_ / "KVRCFG", std::ios::binary) << bytes;
    }
    std::string FileBytes() const {
        std::ifstream in(dir_ / "KVRCFG", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void Store(const std::string& alias, const std::vector<std::string>& values) {
        AliasFile file(workDir_);
        const char* keys[] = {"DatabaseName", "ServerName", "UserName", "PassWord"};
        for (std::size_t i = 0; i < 4; ++i) {
            file.WriteAliasField(alias, keys[i],
                                 CEncrpyt().Encrypt("00:00:00 01/01/2026", values[i]));
        }
    }

    // Builds, shows and activates the window.
    void Start() {
        window_ = std::make_unique<TfmMain>(kTitle, services_, seams_);
        ::ShowWindow(window_->Handle(), SW_SHOWNORMAL);
        ::SendMessageW(window_->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
        ASSERT_TRUE(PumpUntil([this] { return !window_->Form().FirstActivatePending(); }));
    }

    // Handles what is queued, including what the handlers post in turn.
    void Pump() {
        for (int round = 0; round < 4; ++round) {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (!window_->PreTranslate(msg)) {
                    ::TranslateMessage(&msg);
                    ::DispatchMessageW(&msg);
                }
            }
            ::Sleep(5);
        }
    }

    // Handles messages until `done` holds; false once a minute has passed,
    // many times what a loaded machine takes.
    bool PumpUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            Pump();
        }
        return true;
    }

    HWND Control(const char* name) { return window_->Control(name); }
    HWND Tree() { return Control("TreeView1"); }

    HTREEITEM TreeItem(const std::wstring& text) {
        for (NodeId id = 0; window_->Item(id) != nullptr || id < 64; ++id) {
            if (window_->Item(id) != nullptr &&
                window_->NodeText(id) == std::u16string(text.begin(), text.end())) {
                return window_->Item(id);
            }
        }
        return nullptr;
    }

    POINT Centre(HTREEITEM item) {
        RECT rect{};
        std::memcpy(&rect, &item, sizeof item);  // the item goes in, its rectangle comes out
        ::SendMessageW(Tree(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
        ::SendMessageW(Tree(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }

    void Click(HWND window, POINT at, UINT down = WM_LBUTTONDOWN, UINT up = WM_LBUTTONUP) {
        const LPARAM where = MAKELPARAM(at.x, at.y);
        ::PostMessageW(window, down, down == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON, where);
        ::PostMessageW(window, up, 0, where);
        Pump();
    }
    void ClickNode(const std::wstring& text) { Click(Tree(), Centre(TreeItem(text))); }
    void RightClickNode(const std::wstring& text) {
        Click(Tree(), Centre(TreeItem(text)), WM_RBUTTONDOWN, WM_RBUTTONUP);
    }
    void PressButton(HWND button) { Click(button, {5, 5}); }
    void PressKey(HWND window, WPARAM key) {
        ::PostMessageW(window, WM_KEYDOWN, key, 1);
        ::PostMessageW(window, WM_KEYUP, key, 0xC0000001);
        Pump();
    }

    fs::path dir_;
    std::string workDir_;
    MainFormServices services_;
    WindowSeams seams_;
    std::function<ConnectionOutcome(const std::string&)> connect_;
    const char* publishFailure_ = nullptr;
    std::vector<ShownBox> boxes_;
    std::deque<int> answers_;
    std::vector<std::vector<std::wstring>> menus_;
    UINT menuChoice_ = 0;
    std::function<void(HWND, HWND)> onNameDialog_;
    std::unique_ptr<TfmMain> window_;
};

TEST_F(WindowTest, ControlsSitWhereTheFormPutsThemAndTheTreeListsTheAliases) {
    WriteFile("[beta]\r\n[Alpha]\r\n");
    Start();
    HWND main = window_->Handle();
    EXPECT_EQ(Text(main), L"Kavrolis");
    RECT outer{};
    ::GetWindowRect(main, &outer);
    EXPECT_EQ(outer.right - outer.left, 748);
    EXPECT_EQ(outer.bottom - outer.top, 323);

    struct Row {
        const char* name;
        const wchar_t* windowClass;
        RECT place;
    };
    const Row rows[] = {
        {"edName", L"Edit", {292, 5, 722, 32}},
        {"Label1", L"Static", {295, 64, 410, 83}},
        {"edDatabaseName", L"Edit", {413, 61, 721, 88}},
        {"Label2", L"Static", {295, 112, 410, 131}},
        {"edServerName", L"Edit", {413, 109, 721, 136}},
        {"edUserName", L"Edit", {413, 157, 721, 184}},
        {"edPassWord", L"Edit", {413, 205, 721, 232}},
        {"btnSave", L"Button", {470, 242, 564, 273}},
        {"btnTest", L"Button", {598, 242, 684, 273}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        HWND control = Control(row.name);
        ASSERT_NE(control, nullptr);
        wchar_t windowClass[64] = {};
        ::GetClassNameW(control, windowClass, 64);
        EXPECT_EQ(lstrcmpiW(windowClass, row.windowClass), 0) << windowClass;
        const RECT place = Place(control);
        EXPECT_EQ(place.left, row.place.left);
        EXPECT_EQ(place.top, row.place.top);
        EXPECT_EQ(place.right, row.place.right);
        if (std::string_view(row.name).starts_with("ed")) {
            // A box shows whole letters: its font's lines fit inside it,
            // growing a field box downwards when a fallback face needs it.
            EXPECT_GE(place.bottom, row.place.bottom);
            HDC dc = ::GetDC(control);
            HGDIOBJ old = ::SelectObject(
                dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
            TEXTMETRICW metrics{};
            ::GetTextMetricsW(dc, &metrics);
            ::SelectObject(dc, old);
            ::ReleaseDC(control, dc);
            RECT inside{};
            ::GetClientRect(control, &inside);
            EXPECT_LE(metrics.tmHeight, inside.bottom);
        } else {
            EXPECT_EQ(place.bottom, row.place.bottom);
        }
    }
    RECT client{};
    ::GetClientRect(main, &client);
    const RECT tree = Place(Tree());
    EXPECT_EQ(tree.left, 0);
    EXPECT_EQ(tree.right, 283);
    EXPECT_EQ(tree.bottom, client.bottom);

    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(Control("edName"), WM_GETFONT, 0, 0)),
                 sizeof font, &font);
    EXPECT_GE(font.lfHeight, -19);  // smaller only for a taller fallback face
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_EQ(font.lfCharSet, CHINESEBIG5_CHARSET);
    EXPECT_EQ(::SendMessageW(Control("edPassWord"), EM_GETPASSWORDCHAR, 0, 0), L'*');
    EXPECT_FALSE(::IsWindowEnabled(Control("btnTest")));

    // The root, collapsed, with the aliases sorted under it.
    const NodeId root = window_->RootNode();
    EXPECT_EQ(window_->NodeText(root), u"Kavrolis");
    std::vector<std::u16string> children;
    for (NodeId child : window_->Children(root)) {
        children.push_back(window_->NodeText(child));
    }
    EXPECT_EQ(children, (std::vector<std::u16string>{u"Alpha", u"beta"}));
    EXPECT_EQ(::SendMessageW(Tree(), TVM_GETITEMSTATE,
                             reinterpret_cast<WPARAM>(window_->Item(root)), TVIS_EXPANDED) &
                  TVIS_EXPANDED,
              0u);
}

TEST_F(WindowTest, ClickLoadsAnAliasAndSaveWritesItsValuesEncoded) {
    WriteFile("[Alpha]\r\n");
    Store("Alpha", {"db1", "srv1", "sa", "pw;1"});
    Start();
    window_->FullExpand(window_->RootNode());

    // A click beside the nodes loads nothing, not even the highlighted one.
    ::SendMessageW(Tree(), TVM_SELECTITEM, TVGN_CARET,
                   reinterpret_cast<LPARAM>(TreeItem(L"Alpha")));
    RECT inside{};
    ::GetClientRect(Tree(), &inside);
    Click(Tree(), {inside.right / 2, inside.bottom - 5});
    EXPECT_EQ(Text(Control("edName")), L"");

    ClickNode(L"Alpha");
    EXPECT_EQ(Text(Control("edName")), L"Alpha");
    EXPECT_EQ(Text(Control("edDatabaseName")), L"db1");
    EXPECT_EQ(Text(Control("edServerName")), L"srv1");
    EXPECT_EQ(Text(Control("edPassWord")), L"pw;1");
    EXPECT_TRUE(::IsWindowEnabled(Control("btnTest")));

    ::SetWindowTextW(Control("edServerName"), L"newhost,1433");
    PressButton(Control("btnSave"));
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"存檔完成!!");
    EXPECT_EQ(boxes_[0].caption, kTitle);
    EXPECT_EQ(boxes_[0].flags, static_cast<UINT>(MB_OK));
    const std::string bytes = FileBytes();
    EXPECT_EQ(bytes.find("newhost"), std::string::npos);
    EXPECT_EQ(CEncrpyt().Decrypt(AliasFile(workDir_).ReadAliasField("Alpha", "ServerName")),
              "newhost,1433");

    // The root empties the boxes again.
    ClickNode(L"Kavrolis");
    EXPECT_EQ(Text(Control("edName")), L"");
    EXPECT_EQ(Text(Control("edServerName")), L"");
    EXPECT_FALSE(::IsWindowEnabled(Control("btnTest")));
}

TEST_F(WindowTest, MenuOffersNewOnTheRootAndDeleteAndTestOnAnAlias) {
    WriteFile("[Alpha]\r\n[Beta]\r\n");
    Start();
    window_->FullExpand(window_->RootNode());

    RightClickNode(L"Kavrolis");
    RightClickNode(L"Beta");
    ASSERT_EQ(menus_.size(), 2u);
    EXPECT_EQ(menus_[0], (std::vector<std::wstring>{L"新增KVR別名"}));
    EXPECT_EQ(menus_[1], (std::vector<std::wstring>{L"刪除KVR別名", L"連線測試"}));
    // The right click selected the node and loaded it.
    EXPECT_EQ(Text(Control("edName")), L"Beta");

    // Delete, asked with a warning and No as the default button.
    menuChoice_ = 2;
    answers_ = {IDYES};
    RightClickNode(L"Beta");
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"確定刪除此KVR別名[Beta]?");
    EXPECT_EQ(boxes_[0].caption, L"刪除KVR別名");
    EXPECT_EQ(boxes_[0].flags, 0x134u);
    EXPECT_EQ(TreeItem(L"Beta"), nullptr);
    EXPECT_EQ(FileBytes().find("[Beta]"), std::string::npos);
}

TEST_F(WindowTest, NameDialogAddsOnEnterAndNothingOnEscape) {
    WriteFile("[Alpha]\r\n");
    Start();
    menuChoice_ = 1;
    RECT dialogClient{};
    std::wstring dialogCaption;
    onNameDialog_ = [&](HWND dialog, HWND box) {
        ::GetClientRect(dialog, &dialogClient);
        dialogCaption = Text(dialog);
        ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"  Zeta "));
        ::PostMessageW(box, WM_KEYDOWN, VK_RETURN, 1);
    };
    RightClickNode(L"Kavrolis");
    EXPECT_EQ(dialogCaption, L"請輸入KVR別名後按Enter");
    EXPECT_EQ(dialogClient.right, 302);
    EXPECT_GE(dialogClient.bottom, 25);  // taller with a fallback font
    EXPECT_NE(FileBytes().find("[Zeta]"), std::string::npos);
    const std::vector<NodeId> children = window_->Children(window_->RootNode());
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(window_->NodeText(children.back()), u"Zeta");  // at the end, unsorted

    onNameDialog_ = [&](HWND, HWND box) {
        ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Omega"));
        ::PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 1);
    };
    RightClickNode(L"Kavrolis");
    EXPECT_EQ(FileBytes().find("Omega"), std::string::npos);
    EXPECT_EQ(window_->Children(window_->RootNode()).size(), 2u);
}

TEST_F(WindowTest, EnterInTheRenameBoxAsksOnceAndRenames) {
    WriteFile("[Alpha]\r\n");
    Store("Alpha", {"db1", "srv1", "sa", "pw"});
    Start();
    window_->FullExpand(window_->RootNode());
    ClickNode(L"Alpha");

    HWND edName = Control("edName");
    ::SetFocus(edName);
    Pump();
    ::SetWindowTextW(edName, L"Gamma");
    answers_ = {IDYES};
    PressKey(edName, VK_RETURN);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"是否將KVR別名Alpha更改為Gamma？");
    EXPECT_EQ(boxes_[0].caption, L"訊息！注意！注意！");
    EXPECT_EQ(boxes_[0].flags, static_cast<UINT>(MB_YESNO));
    EXPECT_NE(TreeItem(L"Gamma"), nullptr);
    EXPECT_EQ(CEncrpyt().Decrypt(AliasFile(workDir_).ReadAliasField("Gamma", "ServerName")),
              "srv1");

    // Leaving the box afterwards asks nothing more.
    ::SetFocus(Control("edDatabaseName"));
    Pump();
    EXPECT_EQ(boxes_.size(), 1u);
}

TEST_F(WindowTest, AFailureShowsTheErrorBoxWithTheTitleAndTheErrorIcon) {
    publishFailure_ = "Unable to write to KVRPath";
    Start();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, L"Unable to write to KVRPath.");
    EXPECT_EQ(boxes_[0].caption, kTitle);
    EXPECT_EQ(boxes_[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
    // The window works on.
    EXPECT_NE(window_->Handle(), nullptr);
}

TEST_F(WindowTest, TheWindowTakesNoInputButKeepsAnsweringWhileTheTestRuns) {
    WriteFile("[Alpha]\r\n");
    Start();
    window_->FullExpand(window_->RootNode());
    ClickNode(L"Alpha");

    HWND main = window_->Handle();
    HWND btnSave = Control("btnSave");
    HWND btnTest = Control("btnTest");
    bool testDisabled = false;
    bool answered = false;
    connect_ = [&](const std::string&) {
        testDisabled = !::IsWindowEnabled(btnTest);
        // A click on 存 檔, a key in a box and a close while waiting.
        ::PostMessageW(btnSave, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        ::PostMessageW(btnSave, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        ::PostMessageW(Control("edDatabaseName"), WM_CHAR, L'x', 1);
        // The window's thread still handles messages sent to it.
        wchar_t caption[32] = {};
        DWORD_PTR copied = 0;
        answered = ::SendMessageTimeoutW(main, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(caption),
                                         SMTO_BLOCK, 60000, &copied) != 0;
        // As the system's close button does; handled by the time it returns.
        ::SendMessageTimeoutW(main, WM_CLOSE, 0, 0, SMTO_BLOCK, 60000, &copied);
        return ConnectionOutcome{false, {}};
    };
    PressButton(btnTest);

    EXPECT_TRUE(testDisabled);
    EXPECT_TRUE(answered);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text.rfind(L"連線失敗!!", 0), 0u) << boxes_[0].text;  // then the reason
    EXPECT_EQ(boxes_[0].caption, kTitle);
    EXPECT_EQ(Text(Control("edDatabaseName")), L"");
    EXPECT_TRUE(::IsWindowEnabled(btnTest));
    EXPECT_NE(window_->Handle(), nullptr);  // the close was not taken either
    EXPECT_FALSE(window_->Busy());
}

TEST_F(WindowTest, KeysAndClosingFollowTheEditorsRules) {
    WriteFile("[Alpha]\r\n");
    Store("Alpha", {"db1", "srv1", "sa", "pw"});
    Start();
    window_->FullExpand(window_->RootNode());
    ::SendMessageW(Tree(), TVM_SELECTITEM, TVGN_CARET,
                   reinterpret_cast<LPARAM>(TreeItem(L"Alpha")));
    ::SetFocus(Tree());
    PressKey(Tree(), VK_RETURN);  // as a click
    EXPECT_EQ(Text(Control("edDatabaseName")), L"db1");

    // Escape in the rename box puts the name back.
    HWND edName = Control("edName");
    ::SetFocus(edName);
    Pump();
    ::SetWindowTextW(edName, L"Alphx");
    PressKey(edName, VK_ESCAPE);
    EXPECT_EQ(Text(edName), L"Alpha");
    EXPECT_TRUE(boxes_.empty());

    // Unsaved texts: closing asks Yes/No/Cancel; Cancel keeps the window.
    ::SetWindowTextW(Control("edUserName"), L"changed");
    answers_ = {IDCANCEL};
    ::PostMessageW(window_->Handle(), WM_CLOSE, 0, 0);
    Pump();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].flags, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONWARNING));
    EXPECT_NE(window_->Handle(), nullptr);
}

TEST_F(WindowTest, TheTreeFollowsAnotherProgramsChangesToTheFile) {
    WriteFile("[Alpha]\r\n[Beta]\r\n");
    Start();
    window_->FullExpand(window_->RootNode());
    ClickNode(L"Alpha");

    AliasFile(workDir_).AddAliasHeader("Gamma");
    AliasFile(workDir_).DeleteAliasSection("Beta");
    EXPECT_TRUE(PumpUntil([&] { return TreeItem(L"Gamma") != nullptr && !TreeItem(L"Beta"); }));
    EXPECT_EQ(Text(Control("edName")), L"Alpha");
}

}  // namespace
}  // namespace kvr

// The common controls, as the program's start-up prepares them.
int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
