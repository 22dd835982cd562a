#pragma once
// The main window fmMain on the Windows API. It draws the controls and turns
// window messages into calls of MainForm's handlers; every rule of the editor
// lives in MainForm.
#include <windows.h>

#include <commctrl.h>

#include <array>
#include <string>
#include <vector>

#include "editor/MainForm.h"
#include "editor/MainView.h"
#include "ui/win32/Seams.h"

namespace kvr {

class TfmMain : public MainView {
  public:
    static constexpr int kOuterWidth = 748;
    static constexpr int kOuterHeight = 323;
    static constexpr int kTreeWidth = 283;

    // title: the caption of the simple message boxes and of the error box.
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
    HTREEITEM Item(NodeId node) const;
    // Whether the window is waiting for work run by RunWithoutInput.
    bool Busy() const { return running_; }
    // Pixels of the design scaled to the screen's resolution.
    int Scaled(int pixels) const;

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
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR data);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleControl(HWND control, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Notify(const NMHDR& header);
    void BuildControls();
    HWND AddControl(const char* name, const wchar_t* windowClass, const wchar_t* text, DWORD style,
                    DWORD exStyle, int x, int y, int width, int height, HFONT font);
    void Layout();
    void Paint();
    void DrawButton(const DRAWITEMSTRUCT& item);
    HBRUSH BoxColours(HWND box, HDC dc);
    void PopupAt(POINT screen);
    void OnTreeRightClick();
    void OnContextMenu(HWND source, LPARAM lParam);
    void Close();
    bool IsOurs(HWND window) const;
    HWND BoxWindow(Box box) const;
    int BoxIndex(HWND window) const;  // -1 when not one of the five boxes
    NodeId Id(HTREEITEM item) const;
    NodeId NewId(HTREEITEM item);
    HTREEITEM Insert(HTREEITEM parent, const std::u16string& text, NodeId id);

    std::wstring title_;
    WindowSeams seams_;
    int dpi_ = 96;

    HWND fmMain = nullptr;
    HWND TreeView1 = nullptr;
    HWND edName = nullptr;
    HWND Label5 = nullptr;
    HWND lbWorkDir = nullptr;   // the status line at the panel's foot
    std::wstring workDirText_;  // also the root's tooltip
    HWND Label1 = nullptr;
    HWND Label2 = nullptr;
    HWND Label3 = nullptr;
    HWND Label4 = nullptr;
    HWND edDatabaseName = nullptr;
    HWND edServerName = nullptr;
    HWND edUserName = nullptr;
    HWND edPassWord = nullptr;
    HWND btnSave = nullptr;
    HWND btnTest = nullptr;
    HMENU pmMenu = nullptr;
    std::vector<std::pair<std::string, HWND>> names_;

    HFONT formFont_ = nullptr;   // 15 pixels: the tree and the buttons
    HFONT nameFont_ = nullptr;   // edName: bold 19
    HFONT hintFont_ = nullptr;   // Label5: 13
    HFONT fieldFont_ = nullptr;  // labels and boxes: 19
    HFONT passwordFont_ = nullptr;
    HBRUSH yellow_ = nullptr;
    HBRUSH aqua_ = nullptr;

    int ruleTop_ = 0;  // Panel3, the rule under the hint
    COLORREF nameColour_ = RGB(0, 0, 255);
    std::array<bool, 5> aqua_boxes_{};  // indexed like Box
    bool menuItems_[3] = {true, true, true};
    POINT lastRightClick_{};  // client point of the last right button press
    HWND focusBeforeDeactivation_ = nullptr;

    // Indexed by node id; ids are handed out in order and never reused, and a
    // deleted node leaves nullptr behind.
    std::vector<HTREEITEM> nodes_;
    bool running_ = false;
    bool closing_ = false;

    // KVRCFG as last seen by the watch timer: last write time and size.
    bool watching_ = false;
    FILETIME fileWritten_{};
    ULONGLONG fileSize_ = 0;
    bool FileStateChanged();

    MainForm form_;  // last: it may call back into the view as it is built
};

}  // namespace kvr
