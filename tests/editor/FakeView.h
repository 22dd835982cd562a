#pragma once
// A MainView that keeps the screen's state in memory, records what the user
// would have seen and answers questions from a script.
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "editor/MainView.h"

namespace kvr::test {

struct ShownBox {
    enum Kind { Message, MessageWithDetails, Error, Question } kind;
    std::u16string text;
    std::u16string caption;  // questions only
    std::u16string details;
    Icon icon = Icon::None;
    DefaultButton defaultButton = DefaultButton::Yes;
    Buttons buttons = Buttons::YesNo;
};

class FakeView : public MainView {
  public:
    FakeView();

    // Scripted user
    std::deque<Answer> answers;                       // for Ask; Yes when empty
    std::deque<std::optional<std::u16string>> names;  // for PromptName; cancel when empty
    std::function<void()> duringAsk;                  // runs inside Ask (focus moves)
    std::function<void()> duringError;                // runs inside ShowError
    std::function<void()> duringWork;                 // runs inside RunWithoutInput

    // What was shown
    std::vector<ShownBox> boxes;
    std::map<Box, std::u16string> text;
    std::map<Box, Colour> background;
    Colour nameColour = Colour::Blue;
    bool testEnabled = true;
    bool menuNew = true, menuDelete = true, menuTest = true;
    bool rootExpanded = true;
    int workRuns = 0;
    int menuOpened = 0;
    std::u16string workDirectory;
    int nameFocused = 0;

    // Tree helpers for tests
    NodeId Child(const std::u16string& text);  // first child of the root with that text
    std::vector<std::u16string> ChildTexts();
    std::vector<ShownBox> Take();  // the boxes shown so far, cleared

    // MainView
    NodeId RootNode() override { return 0; }
    NodeId SelectedNode() override { return selected_; }
    void SelectNode(NodeId node) override { selected_ = node; }
    std::u16string NodeText(NodeId node) override { return nodes_.at(node).text; }
    std::vector<NodeId> Children(NodeId node) override { return nodes_.at(node).children; }
    void SetNodeText(NodeId node, const std::u16string& t) override { nodes_.at(node).text = t; }
    void AddChildren(NodeId parent, const std::vector<std::u16string>& texts) override;
    NodeId AddChild(NodeId parent, const std::u16string& t) override;
    NodeId AddSibling(NodeId node, const std::u16string& t) override;
    void DeleteNode(NodeId node) override;
    void FullExpand(NodeId node) override;
    void FullCollapse() override { rootExpanded = false; }
    std::u16string Text(Box box) override { return text[box]; }
    void SetText(Box box, const std::u16string& t) override { text[box] = t; }
    void SetNameColour(Colour colour) override { nameColour = colour; }
    void SetBoxBackground(Box box, Colour colour) override { background[box] = colour; }
    void SetTestEnabled(bool enabled) override { testEnabled = enabled; }
    void ShowMenuItems(bool n, bool d, bool t) override;
    void ShowMessage(const std::u16string& t) override;
    void ShowMessageWithDetails(const std::u16string& t, const std::u16string& details) override;
    void ShowError(const std::u16string& t) override;
    Answer Ask(const std::u16string& t, const std::u16string& caption, Icon icon,
               DefaultButton defaultButton, Buttons buttons) override;
    void OpenMenu() override { ++menuOpened; }
    void FocusNameBox() override { ++nameFocused; }
    std::u16string Translate(SourceText t) override;
    void ShowWorkDirectory(const std::u16string& t) override { workDirectory = t; }
    std::optional<std::u16string> PromptName() override;
    void RunWithoutInput(const std::function<void()>& work) override;

  private:
    struct Node {
        std::u16string text;
        NodeId parent = kNoNode;
        std::vector<NodeId> children;
    };
    std::map<NodeId, Node> nodes_;
    NodeId next_ = 1;
    NodeId selected_ = kNoNode;
};

}  // namespace kvr::test
