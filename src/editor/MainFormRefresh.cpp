// The tree following KVRCFG as other windows and programs change it, and the
// shown alias gone from it.
#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "editor/FormHelpers.h"
#include "editor/MainForm.h"
#include "editor/MainFormInternal.h"

namespace kvr {

void MainForm::RunWaitingRefresh() noexcept {
    refreshWaiting_ = false;
    Busy busy(*this);
    try {
        FollowFile();
    } catch (const std::exception& failure) {
        // Nobody asked for this refresh: a file that cannot be read just now
        // is left to the next command to report.
    } catch (...) {
    }
}

void MainForm::AliasFileChanged() {
    if (!Ready()) {
        return;  // the first activation lists the file as it is then
    }
    // A command under way counts on the tree as it left it.
    refreshWaiting_ = true;
    if (MayRefresh()) {
        RunWaitingRefresh();
    }
}

bool MainForm::NodeExists(NodeId node) {
    if (node == kNoNode) {
        return false;
    }
    NodeId root = view_.RootNode();
    if (node == root) {
        return true;
    }
    std::vector<NodeId> children = view_.Children(root);
    return std::find(children.begin(), children.end(), node) != children.end();
}

void MainForm::FollowFile(bool told) {
    std::vector<std::string> names = File().ListExistingAliases();
    // What changed since the tree last followed the file, counting repeats:
    // names in the file that the tree has not seen, and names gone from it.
    std::vector<std::string> before = listed_;
    std::vector<std::string> after = names;
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    std::vector<std::string> added;
    std::vector<std::string> removed;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::back_inserter(added));
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(),
                        std::back_inserter(removed));
    listed_ = std::move(names);
    if (added.empty() && removed.empty()) {
        return;
    }
    // This window's own changes are in the tree already: a removed name may
    // have no node left, an added one may have its node.
    NodeId root = view_.RootNode();
    auto nodeNamed = [&](const std::string& name) {
        for (NodeId child : view_.Children(root)) {
            if (NameOf(child) == name) {
                return child;
            }
        }
        return kNoNode;
    };
    NodeId selected = view_.SelectedNode();
    bool shownGone = false;
    for (const std::string& name : removed) {
        NodeId node = nodeNamed(name);
        if (node == kNoNode) {
            continue;
        }
        if (node == aliasNode_) {
            aliasNode_ = kNoNode;
            shownGone = true;
        }
        names_.erase(node);
        view_.DeleteNode(node);
        if (node == selected) {
            selected = view_.SelectedNode();
        }
    }
    for (const std::string& name : added) {
        if (nodeNamed(name) == kNoNode) {
            names_[view_.AddChild(root, Unicode(name))] = name;
        }
    }
    if (selected != kNoNode && view_.SelectedNode() != selected) {
        view_.SelectNode(selected);
    }
    if (shownGone && !sAlias.empty()) {
        // Renamed when exactly one new name carries the fields it was loaded with.
        std::optional<std::string> renamedTo;
        int same = 0;
        for (const std::string& name : added) {
            if (File().ReadAliasFields(name) == stored_) {
                renamedTo = name;
                ++same;
            }
        }
        ShownAliasGone(same == 1 ? renamedTo : std::nullopt, told);
    }
}

void MainForm::ShownAliasGone(const std::optional<std::string>& renamedTo, bool told) {
    const std::u16string alias = Unicode(sAlias);
    const std::u16string newName = renamedTo ? Unicode(*renamedTo) : std::u16string();
    if (!Modified()) {
        // Nothing typed: the boxes follow the tree, to the new name if renamed.
        if (!told) {
            view_.ShowMessage(
                renamedTo
                    ? Fill(Tr(KVR_TEXT("MainForm", "Another program renamed alias [%1] to [%2].")),
                           {alias, newName})
                    : Fill(Tr(KVR_TEXT("MainForm", "Another program deleted alias [%1].")),
                           {alias}));
        }
        NodeId next = renamedTo ? FindAliasNode(*renamedTo) : kNoNode;
        if (next != kNoNode) {
            view_.SelectNode(next);
        }
        ClearAliasFields();
        LoadNode(view_.SelectedNode());
        return;
    }
    // Typed texts: offered once to be kept as the alias again.
    SourceText question =
        told ? KVR_TEXT("MainForm", "Keep the fields typed here as alias [%1] again?")
        : renamedTo
            ? KVR_TEXT("MainForm",
                       "Another program renamed alias [%1] to [%2]. Keep the fields typed here as "
                       "alias [%1] again?")
            : KVR_TEXT("MainForm",
                       "Another program deleted alias [%1]. Keep the fields typed here as alias "
                       "[%1] again?");
    Answer answer = view_.Ask(Fill(Tr(question), {alias, newName}), Tr(kChangedElsewhere),
                              Icon::Warning, DefaultButton::Yes, Buttons::YesNo);
    if (answer != Answer::Yes) {
        ClearAliasFields();
        LoadNode(view_.SelectedNode());
        return;
    }
    // Written as a new alias of that name: every box is saved as typed.
    const std::string name = sAlias;
    if (!File().HasAliasHeader(name)) {
        File().AddAliasHeader(name);
        listed_.push_back(name);
    }
    NodeId node = FindAliasNode(name);
    if (node == kNoNode) {
        node = view_.AddChild(view_.RootNode(), alias);
        names_[node] = name;
    }
    view_.SelectNode(node);
    aliasNode_ = node;
    view_.SetText(Box::Name, view_.NodeText(node));
    shown_ = {};
    stored_ = File().ReadAliasFields(name);
    for (std::string& value : stored_) {
        value.clear();
    }
    SaveAlias();
}

}  // namespace kvr
