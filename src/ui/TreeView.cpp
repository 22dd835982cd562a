// The tree of MainView on a QTreeWidget. Children listed at start-up wait,
// their ids given out, until anything needs their items.
#include "ui/Frmmain.h"

#include <QAction>
#include <QTreeWidget>

#include "ui/QtHelpers.h"

namespace kvr {
namespace {

// Every item of the tree is one of these: the item knows its node id without
// a QVariant per item.
class NodeItem : public QTreeWidgetItem {
  public:
    NodeItem(const QString& text, NodeId id)
        : QTreeWidgetItem(QStringList{text}, UserType), id_(id) {}
    NodeId Id() const { return id_; }

  private:
    NodeId id_;
};

NodeId IdOf(const QTreeWidgetItem* item) {
    return item == nullptr ? kNoNode : static_cast<const NodeItem*>(item)->Id();
}

}  // namespace

QTreeWidgetItem* TfmMain::MakeItem(const std::u16string& text, NodeId id) {
    auto* item = new NodeItem(ToQt(text), id);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

QTreeWidgetItem* TfmMain::NewItem(const std::u16string& text) {
    CreatePendingItems();  // keeps ids in the order the nodes were added
    QTreeWidgetItem* item = MakeItem(text, static_cast<NodeId>(nodes_.size()));
    nodes_.push_back(item);
    return item;
}

void TfmMain::CreatePendingItems() const {
    if (pending_.parent == nullptr) {
        return;
    }
    PendingChildren batch = std::move(pending_);
    pending_ = {};
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(batch.texts.size()));
    auto& nodes = const_cast<std::vector<QTreeWidgetItem*>&>(nodes_);
    for (std::size_t i = 0; i < batch.texts.size(); ++i) {
        const NodeId id = batch.firstId + static_cast<NodeId>(i);
        QTreeWidgetItem* item = MakeItem(batch.texts[i], id);
        nodes[static_cast<std::size_t>(id)] = item;
        items.append(item);
    }
    batch.parent->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    batch.parent->addChildren(items);  // one insertion for the lot
}

void TfmMain::Forget(QTreeWidgetItem* item) {
    for (int i = 0; i < item->childCount(); ++i) {
        Forget(item->child(i));
    }
    nodes_[static_cast<std::size_t>(IdOf(item))] = nullptr;
}

QTreeWidgetItem* TfmMain::Item(NodeId node) const {
    if (node < 0 || static_cast<std::size_t>(node) >= nodes_.size()) {
        return nullptr;
    }
    CreatePendingItems();
    return nodes_[static_cast<std::size_t>(node)];
}

NodeId TfmMain::RootNode() {
    return IdOf(TreeView1->topLevelItem(0));
}

NodeId TfmMain::SelectedNode() {
    return IdOf(TreeView1->currentItem());
}

void TfmMain::SelectNode(NodeId node) {
    if (QTreeWidgetItem* item = Item(node)) {
        TreeView1->setCurrentItem(item);
    }
}

std::u16string TfmMain::NodeText(NodeId node) {
    QTreeWidgetItem* item = Item(node);
    return item == nullptr ? std::u16string() : item->text(0).toStdU16String();
}

std::vector<NodeId> TfmMain::Children(NodeId node) {
    std::vector<NodeId> children;
    if (QTreeWidgetItem* item = Item(node)) {
        children.reserve(static_cast<std::size_t>(item->childCount()));
        for (int i = 0; i < item->childCount(); ++i) {
            children.push_back(IdOf(item->child(i)));
        }
    }
    return children;
}

void TfmMain::SetNodeText(NodeId node, const std::u16string& text) {
    if (QTreeWidgetItem* item = Item(node)) {
        item->setText(0, ToQt(text));
    }
}

void TfmMain::AddChildren(NodeId parent, const std::vector<std::u16string>& texts) {
    QTreeWidgetItem* parentItem = Item(parent);
    if (parentItem == nullptr || texts.empty()) {
        return;
    }
    // The items are made when first needed; until then the parent shows that
    // it can be opened.
    pending_.parent = parentItem;
    pending_.firstId = static_cast<NodeId>(nodes_.size());
    pending_.texts = texts;
    nodes_.resize(nodes_.size() + texts.size(), nullptr);
    parentItem->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
}

NodeId TfmMain::AddChild(NodeId parent, const std::u16string& text) {
    QTreeWidgetItem* parentItem = Item(parent);
    if (parentItem == nullptr) {
        return kNoNode;
    }
    QTreeWidgetItem* item = NewItem(text);
    parentItem->addChild(item);
    return IdOf(item);
}

NodeId TfmMain::AddSibling(NodeId node, const std::u16string& text) {
    QTreeWidgetItem* item = Item(node);
    if (item == nullptr) {
        return kNoNode;
    }
    QTreeWidgetItem* sibling = NewItem(text);
    if (QTreeWidgetItem* parentItem = item->parent()) {
        parentItem->addChild(sibling);
    } else {
        TreeView1->addTopLevelItem(sibling);
    }
    return IdOf(sibling);
}

void TfmMain::DeleteNode(NodeId node) {
    QTreeWidgetItem* item = Item(node);
    if (item == nullptr) {
        return;
    }
    Forget(item);
    delete item;
    // The tree moves its current item to a neighbour of the deleted one but
    // leaves it unselected; the editor treats current and selected as one.
    if (QTreeWidgetItem* current = TreeView1->currentItem()) {
        TreeView1->setCurrentItem(current);
        current->setSelected(true);
    }
}

void TfmMain::FullExpand(NodeId node) {
    QTreeWidgetItem* item = Item(node);
    if (item == nullptr) {
        return;
    }
    // Only items with children can open; leaves are skipped cheaply.
    std::vector<QTreeWidgetItem*> pending{item};
    while (!pending.empty()) {
        QTreeWidgetItem* next = pending.back();
        pending.pop_back();
        if (next->childCount() == 0) {
            continue;
        }
        next->setExpanded(true);
        for (int i = 0; i < next->childCount(); ++i) {
            pending.push_back(next->child(i));
        }
    }
}

void TfmMain::FullCollapse() {
    TreeView1->collapseAll();
}

}  // namespace kvr
