// The tree of MainView on the tree control; TreeNodes keeps the items behind
// the node ids.
#include "ui/win32/Frmmain.h"

#include "ui/win32/Wide.h"

namespace kvr {

NodeId TfmMain::RootNode() {
    return nodes_.Id(
        reinterpret_cast<HTREEITEM>(::SendMessageW(TreeView1, TVM_GETNEXTITEM, TVGN_ROOT, 0)));
}

NodeId TfmMain::SelectedNode() {
    return nodes_.Id(
        reinterpret_cast<HTREEITEM>(::SendMessageW(TreeView1, TVM_GETNEXTITEM, TVGN_CARET, 0)));
}

void TfmMain::SelectNode(NodeId node) {
    if (HTREEITEM item = Item(node)) {
        ::SendMessageW(TreeView1, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    }
}

std::u16string TfmMain::NodeText(NodeId node) {
    return nodes_.Text(node);
}

std::vector<NodeId> TfmMain::Children(NodeId node) {
    return nodes_.Children(node);
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
    nodes_.InsertLater(parent, texts);
}

NodeId TfmMain::AddChild(NodeId parent, const std::u16string& text) {
    HTREEITEM parentItem = Item(parent);
    return parentItem == nullptr ? kNoNode : nodes_.Insert(parentItem, text);
}

NodeId TfmMain::AddSibling(NodeId node, const std::u16string& text) {
    HTREEITEM item = Item(node);
    if (item == nullptr) {
        return kNoNode;
    }
    auto parent = reinterpret_cast<HTREEITEM>(
        ::SendMessageW(TreeView1, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
    return nodes_.Insert(parent != nullptr ? parent : TVI_ROOT, text);
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
    nodes_.CreateWaiting();
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
    // Waiting children have no items yet: their parent is closed already.
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

}  // namespace kvr
