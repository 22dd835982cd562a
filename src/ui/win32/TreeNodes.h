#pragma once
// The tree control's items behind the editor's node ids. Ids are handed out
// in order and never reused; a deleted item leaves its id empty. Children
// listed at start-up wait, their ids given out, until anything needs their
// items (the user opens their parent, a command touches one): thousands of
// aliases cost nothing while their parent is closed.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "editor/MainView.h"

namespace kvr {

class TreeNodes {
  public:
    void Attach(HWND tree) { tree_ = tree; }

    // A new item, last under parent (TVI_ROOT for the top level).
    NodeId Insert(HTREEITEM parent, const std::u16string& text);
    // New ids for texts, last under parent; their items are made later.
    void InsertLater(NodeId parent, const std::vector<std::u16string>& texts);
    // Makes the waiting items, if any: when their parent opens, or before
    // anything else changes the tree.
    void CreateWaiting();
    bool Waiting(HTREEITEM parent) const;

    // The item of a node, made first if it waits; nullptr when there is none.
    HTREEITEM Item(NodeId node);
    NodeId Id(HTREEITEM item) const;
    // These two read waiting nodes without making their items.
    std::u16string Text(NodeId node);
    std::vector<NodeId> Children(NodeId node);
    // Called for TVN_DELETEITEM with the item's id.
    void Forget(LPARAM id);

  private:
    bool IsWaiting(NodeId node) const;
    HTREEITEM InsertItem(HTREEITEM parent, const std::u16string& text, NodeId id);

    HWND tree_ = nullptr;
    std::vector<HTREEITEM> items_;
    struct Batch {
        NodeId parent = kNoNode;
        NodeId first = kNoNode;
        std::vector<std::u16string> texts;
    } waiting_;
};

}  // namespace kvr
