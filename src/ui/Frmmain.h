#pragma once
// The main window fmMain. It draws the controls and turns Qt's events into
// calls of MainForm's handlers; every rule of the editor lives in MainForm.
// Each control carries its name as objectName and accessible description.
#include <QWidget>

#include <array>
#include <utility>
#include <vector>

#include "editor/FormControls.h"
#include "editor/MainForm.h"
#include "editor/MainView.h"

class QAction;
class QFileSystemWatcher;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kvr {

class TfmMain : public QWidget, public MainView {
    Q_OBJECT

  public:
    // Client area; with a usual title bar and border the window measures
    // about 748 x 323 outside.
    static constexpr int kClientWidth = FormGeometry::kClientWidth;
    static constexpr int kClientHeight = FormGeometry::kClientHeight;
    static constexpr int kTreeWidth = FormGeometry::kTreeWidth;

    explicit TfmMain(MainFormServices services, QWidget* parent = nullptr);
    ~TfmMain() override;

    MainForm& Form() { return form_; }
    QMenu* PopupMenu() const { return pmMenu; }
    // The tree item behind a node id, nullptr when there is none.
    QTreeWidgetItem* Item(NodeId node) const;

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

  protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    void BuildControls();
    void FitBox(QLineEdit& box, const FormControl& control);
    void BuildMenu();
    void PopupAt(const QPoint& globalPos);
    QLineEdit* BoxWidget(Box box) const;
    QTreeWidgetItem* NewItem(const std::u16string& text);
    static QTreeWidgetItem* MakeItem(const std::u16string& text, NodeId id);
    void Forget(QTreeWidgetItem* item);
    void WatchAliasFile();

    QTreeWidget* TreeView1 = nullptr;
    QFrame* Panel1 = nullptr;
    QFrame* Panel2 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* lbWorkDir = nullptr;  // the status line at the panel's foot
    QFrame* Panel3 = nullptr;
    std::vector<std::pair<QLabel*, Box>> labels_;  // Label1 to Label4 and their boxes
    std::array<QLineEdit*, 5> boxes_{};            // indexed like Box
    QLineEdit*& edName = boxes_[static_cast<std::size_t>(Box::Name)];
    QLineEdit*& edDatabaseName = boxes_[static_cast<std::size_t>(Box::DatabaseName)];
    QLineEdit*& edServerName = boxes_[static_cast<std::size_t>(Box::ServerName)];
    QLineEdit*& edUserName = boxes_[static_cast<std::size_t>(Box::UserName)];
    QLineEdit*& edPassWord = boxes_[static_cast<std::size_t>(Box::PassWord)];
    QPushButton* btnSave = nullptr;
    QPushButton* btnTest = nullptr;
    QMenu* pmMenu = nullptr;
    QAction* pmnNew = nullptr;
    QAction* pmnDelete = nullptr;
    QAction* pmnTest = nullptr;

    // Indexed by node id; ids are handed out in order and never reused, and a
    // deleted node leaves nullptr behind.
    std::vector<QTreeWidgetItem*> nodes_;
    // Children listed at start-up wait here, their ids already given out,
    // until anything needs their items (the user opens the root, a command
    // touches the tree): thousands of aliases cost nothing while collapsed.
    struct PendingChildren {
        QTreeWidgetItem* parent = nullptr;
        NodeId firstId = kNoNode;
        std::vector<std::u16string> texts;
    };
    mutable PendingChildren pending_;
    void CreatePendingItems() const;
    bool running_ = false;                   // RunWithoutInput is waiting for its work
    QFileSystemWatcher* watcher_ = nullptr;  // KVRCFG and its folder, once activated

    MainForm form_;  // last: it may call back into the view as it is built
};

}  // namespace kvr
