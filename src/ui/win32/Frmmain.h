#pragma once
// The main window fmMain on the Windows API. It lays out the form's controls
// from the editor's table, turns window messages into calls of MainForm's
// handlers and implements MainView with the system's controls; every rule of
// the editor lives in MainForm.
#include <windows.h>

#include <commctrl.h>

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "editor/FormControls.h"
#include "editor/MainForm.h"
#include "editor/MainView.h"
#include "platform/FolderWatch.h"
#include "ui/win32/Handles.h"
#include "ui/win32/Seams.h"
#include "ui/win32/TreeNodes.h"

namespace kvr {

class TfmMain : public MainView {
  public:
    static constexpr int kOuterWidth = FormGeometry::kOuterWidth;
    static constexpr int kOuterHeight = FormGeometry::kOuterHeight;
    static constexpr int kTreeWidth = FormGeometry::kTreeWidth;

    // title: the caption of the simple message boxes and of the error box.
    // A constructor that fails leaves no window and no handle behind.
    TfmMain(std::wstring title, MainFormServices services,
            WindowSeams seams = WindowSeams::System());
    ~TfmMain() override;
    TfmMain(const TfmMain&) = delete;
    TfmMain& operator=(const TfmMain&) = delete;

    HWND Handle() const { return fmMain; }
    MainForm& Form() { return form_; }
    // A control by its name ("TreeView1", "edName", "btnSave", ...); nullptr
    // for an unknown name.
    HWND Control(const std::string& name) const;
    // The tree item behind a node id, nullptr when there is none.
    HTREEITEM Item(NodeId node) { return nodes_.Item(node); }
    // Whether the window is waiting for work run by RunWithoutInput.
    bool Busy() const { return running_; }
    // Pixels of the design scaled to the screen's resolution.
    int Scaled(int pixels) const;
    // Pixels of an edit box's height that its text cannot use.
    int BoxFrame() const;

    // Handles a message of the thread's loop the way the window's keyboard
    // interface needs (the window's own keys, Tab between the controls); true
    // when it was taken.
    bool PreTranslate(MSG& msg);

    // MainView
    NodeId RootNode() override;
    NodeId SelectedNode() override;
    void SelectNode(NodeId node) override;
    std::u16string NodeText(NodeId node) override;
    std::vector<NodeId> Children(NodeId node) override;
    void SetNodeText(NodeId node, const std::u16string& text) override;
    void AddChildren(NodeId parent, const std::vector<std::u16string>& texts) override;
    NodeId AddChild(NodeId parent, const std::u16string& text) override;
    NodeId AddSibling(NodeId node, const std::u16string& text) override;
    void DeleteNode(NodeId node) override;
    void FullExpand(NodeId node) override;
    void FullCollapse() override;
    std::u16string Text(Box box) override;
    void SetText(Box box, const std::u16string& text) override;
    void SetNameColour(Colour colour) override;
    void SetBoxBackground(Box box, Colour colour) override;
    void SetTestEnabled(bool enabled) override;
    void ShowMenuItems(bool newItem, bool deleteItem, bool testItem) override;
    void ShowMessage(const std::u16string& text) override;
    void ShowMessageWithDetails(const std::u16string& text, const std::u16string& details) override;
    void ShowError(const std::u16string& text) override;
    Answer Ask(const std::u16string& text, const std::u16string& caption, Icon icon,
               DefaultButton defaultButton, Buttons buttons) override;
    void OpenMenu() override;
    void FocusNameBox() override;
    std::u16string Translate(SourceText text) override;
    void ShowWorkDirectory(const std::u16string& text) override;
    std::optional<std::u16string> PromptName() override;
    void RunWithoutInput(const std::function<void()>& work) override;

  private:
    // Posted by the folder watch's thread: something changed in KVRCFG's folder.
    static constexpr UINT kFolderChanged = WM_APP + 4;

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR data);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleControl(HWND control, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Notify(const NMHDR& header);
    void BuildControls();
    HFONT FontFor(const FormControl& control);
    void Layout();
    // Painting.cpp: the panels' bevels, the buttons, the boxes' colours.
    void Paint();
    void DrawButton(const DRAWITEMSTRUCT& item);
    HBRUSH BoxColours(HWND box, HDC dc);
    void PopupAt(POINT screen);
    void OnTreeRightClick();
    void OnTreeClick();
    void OnContextMenu(HWND source, LPARAM lParam);
    void Close();
    void WatchAliasFile();
    bool FileStateChanged();
    bool IsOurs(HWND window) const;
    HWND BoxWindow(Box box) const;
    int BoxIndex(HWND window) const;  // -1 when not one of the five boxes

    std::wstring title_;
    WindowSeams seams_;
    int dpi_ = 96;

    HWND fmMain = nullptr;
    HWND TreeView1 = nullptr;
    HWND Label5 = nullptr;
    HWND lbWorkDir = nullptr;      // the status line at the panel's foot
    std::wstring workDirText_;     // also the root's tooltip
    std::array<HWND, 5> boxes_{};  // indexed like Box
    HWND btnSave = nullptr;
    HWND btnTest = nullptr;
    Menu pmMenu;
    struct Placed {
        const FormControl* control;
        HWND window;
        HFONT font;
    };
    std::vector<Placed> controls_;  // in the table's order

    std::vector<GdiObject<HFONT>> fonts_;
    HFONT formFont_ = nullptr;  // the form's 15 pixels: the tree and the buttons
    GdiObject<HBRUSH> yellow_;
    GdiObject<HBRUSH> aqua_;

    int panelLeft_ = 0;  // Panel1's left edge in the client area
    int ruleTop_ = 0;    // Panel3, the rule under the hint
    COLORREF nameColour_ = RGB(0, 0, 255);
    std::array<bool, 5> aqua_boxes_{};  // indexed like Box
    bool menuItems_[3] = {true, true, true};
    POINT lastRightClick_{};  // client point of the last right button press
    POINT lastClick_{};       // client point of the last left button press
    HWND focusBeforeDeactivation_ = nullptr;

    TreeNodes nodes_;
    bool running_ = false;

    // KVRCFG's folder as the system reports its changes, and the file's last
    // write time and size when last looked at.
    std::atomic<bool> changePosted_{false};
    std::unique_ptr<platform::FolderWatch> watch_;
    FILETIME fileWritten_{};
    ULONGLONG fileSize_ = 0;

    MainForm form_;
    // Last, so it goes first: the window is destroyed while the rest lives.
    WindowOwner owner_{fmMain};
};

}  // namespace kvr
