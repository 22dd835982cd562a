#include "ui/win32/TreeNodes.h"

#include <utility>

#include "ui/win32/Wide.h"

namespace kvr {
namespace {

HTREEITEM Next(HWND tree, UINT how, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(
        ::SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

}  // namespace

HTREEITEM TreeNodes::InsertItem(HTREEITEM parent, const std::u16string& text, NodeId id) {
    std::wstring wide = Wide(text);
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = wide.data();
    insert.item.lParam = static_cast<LPARAM>(id);
    auto item = reinterpret_cast<HTREEITEM>(
        ::SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    items_[static_cast<std::size_t>(id)] = item;
    return item;
}

NodeId TreeNodes::Insert(HTREEITEM parent, const std::u16string& text) {
    CreateWaiting();  // keeps the items in the order their ids were given
    const auto id = static_cast<NodeId>(items_.size());
    items_.push_back(nullptr);
    InsertItem(parent, text, id);
    return id;
}

void TreeNodes::InsertLater(NodeId parent, const std::vector<std::u16string>& texts) {
    CreateWaiting();
    HTREEITEM parentItem = Item(parent);
    if (parentItem == nullptr || texts.empty()) {
        return;
    }
    waiting_ = {parent, static_cast<NodeId>(items_.size()), texts};
    items_.resize(items_.size() + texts.size(), nullptr);
    // The parent shows that it can be opened.
    TVITEMW data{};
    data.mask = TVIF_CHILDREN;
    data.hItem = parentItem;
    data.cChildren = 1;
    ::SendMessageW(tree_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data));
}

void TreeNodes::CreateWaiting() {
    if (waiting_.parent == kNoNode) {
        return;
    }
    Batch batch = std::move(waiting_);
    waiting_ = {};
    HTREEITEM parent = items_[static_cast<std::size_t>(batch.parent)];
    if (parent == nullptr) {
        return;
    }
    ::SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
    for (std::size_t i = 0; i < batch.texts.size(); ++i) {
        InsertItem(parent, batch.texts[i], batch.first + static_cast<NodeId>(i));
    }
    ::SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(tree_, nullptr, TRUE);
}

bool TreeNodes::Waiting(HTREEITEM parent) const {
    return waiting_.parent != kNoNode &&
           items_[static_cast<std::size_t>(waiting_.parent)] == parent;
}

bool TreeNodes::IsWaiting(NodeId node) const {
    return waiting_.parent != kNoNode && node >= waiting_.first &&
           node < waiting_.first + static_cast<NodeId>(waiting_.texts.size());
}

HTREEITEM TreeNodes::Item(NodeId node) {
    if (node < 0 || static_cast<std::size_t>(node) >= items_.size()) {
        return nullptr;
    }
    if (IsWaiting(node)) {
        CreateWaiting();
    }
    return items_[static_cast<std::size_t>(node)];
}

NodeId TreeNodes::Id(HTREEITEM item) const {
    if (item == nullptr) {
        return kNoNode;
    }
    TVITEMW data{};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (!::SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) {
        return kNoNode;
    }
    return static_cast<NodeId>(data.lParam);
}

std::u16string TreeNodes::Text(NodeId node) {
    if (IsWaiting(node)) {
        return waiting_.texts[static_cast<std::size_t>(node - waiting_.first)];
    }
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
        ::SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
        const std::size_t length = std::wstring_view(data.pszText).size();
        if (length + 1 < room || room >= 65536) {
            return std::u16string(data.pszText, data.pszText + length);
        }
    }
}

std::vector<NodeId> TreeNodes::Children(NodeId node) {
    std::vector<NodeId> children;
    HTREEITEM item = Item(node);
    if (item == nullptr) {
        return children;
    }
    for (HTREEITEM child = Next(tree_, TVGN_CHILD, item); child != nullptr;
         child = Next(tree_, TVGN_NEXT, child)) {
        children.push_back(Id(child));
    }
    if (waiting_.parent == node) {
        for (std::size_t i = 0; i < waiting_.texts.size(); ++i) {
            children.push_back(waiting_.first + static_cast<NodeId>(i));
        }
    }
    return children;
}

void TreeNodes::Forget(LPARAM id) {
    const auto index = static_cast<std::size_t>(id);
    if (index < items_.size()) {
        items_[index] = nullptr;
    }
    if (static_cast<NodeId>(id) == waiting_.parent) {
        // Their parent is gone: the waiting nodes go with it.
        waiting_ = {};
    }
}

}  // namespace kvr
