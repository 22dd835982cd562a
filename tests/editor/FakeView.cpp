#include "editor/FakeView.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace kvr::test {

FakeView::FakeView() {
    nodes_[0] = Node{u"Kavrolis", kNoNode, {}};
}

NodeId FakeView::Child(const std::u16string& t) {
    for (NodeId id : nodes_.at(0).children) {
        if (nodes_.at(id).text == t) {
            return id;
        }
    }
    return kNoNode;
}

std::vector<std::u16string> FakeView::ChildTexts() {
    std::vector<std::u16string> texts;
    for (NodeId id : nodes_.at(0).children) {
        texts.push_back(nodes_.at(id).text);
    }
    return texts;
}

std::vector<ShownBox> FakeView::Take() {
    return std::exchange(boxes, {});
}

void FakeView::AddChildren(NodeId parent, const std::vector<std::u16string>& texts) {
    for (const auto& t : texts) {
        AddChild(parent, t);
    }
}

NodeId FakeView::AddChild(NodeId parent, const std::u16string& t) {
    NodeId id = next_++;
    nodes_[id] = Node{t, parent, {}};
    nodes_.at(parent).children.push_back(id);
    return id;
}

NodeId FakeView::AddSibling(NodeId node, const std::u16string& t) {
    return AddChild(nodes_.at(node).parent, t);
}

// Like the platform's tree: the next sibling takes the selection, else the
// previous one, else the parent.
void FakeView::DeleteNode(NodeId node) {
    auto& siblings = nodes_.at(nodes_.at(node).parent).children;
    auto it = std::find(siblings.begin(), siblings.end(), node);
    NodeId next = nodes_.at(node).parent;
    if (it + 1 != siblings.end()) {
        next = *(it + 1);
    } else if (it != siblings.begin()) {
        next = *(it - 1);
    }
    siblings.erase(it);
    nodes_.erase(node);
    if (selected_ == node) {
        selected_ = next;
    }
}

void FakeView::FullExpand(NodeId node) {
    if (node == 0) {
        rootExpanded = true;
    }
}

void FakeView::ShowMenuItems(bool n, bool d, bool t) {
    menuNew = n;
    menuDelete = d;
    menuTest = t;
}

void FakeView::ShowMessage(const std::u16string& t) {
    boxes.push_back({ShownBox::Message, t, {}, {}});
}

void FakeView::ShowMessageWithDetails(const std::u16string& t, const std::u16string& details) {
    boxes.push_back({ShownBox::MessageWithDetails, t, {}, details});
}

void FakeView::ShowError(const std::u16string& t) {
    boxes.push_back({ShownBox::Error, t, {}, {}});
    if (duringError) {
        duringError();
    }
}

Answer FakeView::Ask(const std::u16string& t, const std::u16string& caption, Icon icon,
                     DefaultButton defaultButton, Buttons buttons) {
    boxes.push_back({ShownBox::Question, t, caption, {}, icon, defaultButton, buttons});
    if (duringAsk) {
        duringAsk();
    }
    if (answers.empty()) {
        return Answer::Yes;
    }
    Answer a = answers.front();
    answers.pop_front();
    return a;
}

// Untranslated: the English source text (ASCII).
std::u16string FakeView::Translate(SourceText t) {
    std::string_view source(t.text);
    return std::u16string(source.begin(), source.end());
}

std::optional<std::u16string> FakeView::PromptName() {
    if (names.empty()) {
        return std::nullopt;
    }
    auto n = names.front();
    names.pop_front();
    return n;
}

void FakeView::RunWithoutInput(const std::function<void()>& work) {
    ++workRuns;
    if (duringWork) {
        duringWork();
    }
    work();
}

}  // namespace kvr::test
