// The commands: the connection test, the popup menu and its items (new,
// delete, test), and the keys that stand for them.
#include <optional>
#include <string>

#include "editor/FormHelpers.h"
#include "editor/MainForm.h"
#include "editor/MainFormInternal.h"
#include "platform/Text.h"
#include "texts/Explanations.h"

namespace kvr {

// ---- Connection test -------------------------------------------------------

void MainForm::btnTestClick() {
    Guarded([&] {
        if (Ready()) {
            TestConnection();
        }
    });
}

void MainForm::TestConnection() {
    view_.SetTestEnabled(false);
    testing_ = true;
    Finally enableAgain([&] {
        testing_ = false;
        view_.SetTestEnabled(true);
    });

    auto utf8 = [&](Box box) { return platform::Utf16ToUtf8(view_.Text(box)); };
    const std::string connectionString = BuildConnectionString(
        utf8(Box::ServerName), utf8(Box::UserName), utf8(Box::PassWord), utf8(Box::DatabaseName));

    ConnectionOutcome outcome;
    view_.RunWithoutInput([&] {
        try {
            outcome = services_.openConnection(connectionString);
        } catch (const std::exception& e) {
            outcome = {false, e.what()};
        } catch (...) {
            outcome = {false, {}};
        }
    });
    if (outcome.succeeded) {
        view_.ShowMessage(u"連線成功!!");
    } else {
        std::u16string details = Tr(texts::ExplanationOf(outcome.reason));
        if (!outcome.detail.empty()) {
            details += u"\n\n" + platform::Utf8ToUtf16(outcome.detail);
        }
        view_.ShowMessageWithDetails(u"連線失敗!!", details);
    }
}

// ---- Popup menu ------------------------------------------------------------

void MainForm::pmMenuPopup() {
    Busy busy(*this);
    menuOpen_ = false;
    menuNode_ = kNoNode;
    if (!Ready()) {
        view_.ShowMenuItems(false, false, false);
        return;
    }
    if (view_.SelectedNode() == kNoNode) {
        view_.SelectNode(view_.RootNode());
    }
    const NodeId node = view_.SelectedNode();
    TreeView1Click();
    if (view_.SelectedNode() != node) {
        // The user chose to stay with the unsaved texts: no menu.
        view_.ShowMenuItems(false, false, false);
        return;
    }
    bool root = IsRoot(node);
    view_.ShowMenuItems(root, !root, !root);
    // Until it closes, refreshes wait; its command serves this node.
    menuOpen_ = true;
    menuNode_ = node;
}

void MainForm::pmMenuClosed() {
    Busy busy(*this);
    menuOpen_ = false;
}

// ---- Keys --------------------------------------------------------------------

bool MainForm::FormKeyDown(int key, KeyModifiers modifiers) {
    if (!Ready()) {
        return false;
    }
    if (key == kKeyS && modifiers.control && !modifiers.alt && !modifiers.shift) {
        btnSaveClick();
        return true;
    }
    if (key == kKeyF2 && !modifiers.control && !modifiers.alt && !modifiers.shift) {
        if (!sAlias.empty()) {
            view_.FocusNameBox();
        }
        return true;
    }
    return false;
}

bool MainForm::TreeView1KeyDown(int key, KeyModifiers modifiers) {
    Busy busy(*this);
    if (modifiers.control || modifiers.alt || !Ready()) {
        return false;
    }
    switch (key) {
        case kKeyEnter:
        case kKeySpace:
            if (!modifiers.shift) {
                TreeView1Click();
                return true;
            }
            return false;
        case kKeyDelete:
            if (!modifiers.shift && !IsRoot(view_.SelectedNode())) {
                // As from the popup menu: the alias is shown first, so the
                // question about unsaved texts comes before the one about
                // deleting.
                const NodeId node = view_.SelectedNode();
                TreeView1Click();
                if (view_.SelectedNode() == node) {
                    pmnNewClick(2);
                }
            }
            return !modifiers.shift;
        case kKeyApps:
            view_.OpenMenu();
            return true;
        case kKeyF10:
            if (modifiers.shift) {
                view_.OpenMenu();
                return true;
            }
            return false;
        default:
            return false;
    }
}

void MainForm::pmnNewClick(int tag) {
    Guarded([&] {
        if (!Ready()) {
            return;
        }
        if (menuOpen_) {
            // Chosen from the menu: the refresh that waited for it runs
            // first, and the command serves the node the menu was opened
            // for, or nothing when that node has gone.
            menuOpen_ = false;
            const NodeId node = menuNode_;
            if (refreshWaiting_) {
                refreshWaiting_ = false;
                FollowFile();
            }
            if (!NodeExists(node)) {
                return;
            }
            if (view_.SelectedNode() != node) {
                view_.SelectNode(node);
                TreeView1Click();
                if (view_.SelectedNode() != node) {
                    return;
                }
            }
        }
        switch (tag) {
            case 1:
                NewAlias();
                break;
            case 2:
                DeleteAlias();
                break;
            case 3:
                if (!IsRoot(view_.SelectedNode())) {
                    TestConnection();
                }
                break;
            default:
                break;
        }
    });
}

void MainForm::NewAlias() {
    // Only Enter gives a name; Escape or closing the dialog cancels.
    std::optional<std::u16string> typed = view_.PromptName();
    if (!typed) {
        return;
    }
    const std::u16string text = TrimmedText(*typed);
    if (text.empty()) {
        return;
    }
    const std::optional<std::string> storable = Storable(
        text,
        KVR_TEXT("MainForm",
                 "The alias name [%1] holds the character %2, which the machine's code page (%3) "
                 "cannot store. No alias was added."),
        text);
    if (!storable || !UsableName(*storable, false)) {
        return;
    }
    const std::string& name = *storable;
    NodeId root = view_.RootNode();
    if (File().HasAliasHeader(name)) {
        // The alias exists already (perhaps in another letter case): show it
        // instead of adding a second node for the same section.
        NodeId existing = FindAliasNode(name);
        if (existing == kNoNode) {
            const std::string stored = StoredName(File(), name);
            existing = view_.AddChild(root, Unicode(stored));
            names_[existing] = stored;
        }
        view_.FullExpand(root);
        view_.SelectNode(existing);
        TreeView1Click();
        return;
    }
    File().AddAliasHeader(name);
    NodeId selected = view_.SelectedNode();
    NodeId added = IsRoot(selected)
                       ? view_.AddChild(selected == kNoNode ? root : selected, Unicode(name))
                       : view_.AddSibling(selected, Unicode(name));
    names_[added] = name;
    view_.FullExpand(root);
}

void MainForm::DeleteAlias() {
    NodeId node = view_.SelectedNode();
    if (node == kNoNode) {
        return;
    }
    const std::u16string name = view_.NodeText(node);
    Answer answer = view_.Ask(u"確定刪除此KVR別名[" + name + u"]?", u"刪除KVR別名", Icon::Warning,
                              DefaultButton::No, Buttons::YesNo);
    if (answer != Answer::Yes || name == kRootText) {
        return;
    }
    File().DeleteAliasSection(NameOf(node));
    if (aliasNode_ == node) {
        // Its texts went with it: nothing left to ask about.
        aliasNode_ = kNoNode;
        sAlias.clear();
    }
    names_.erase(node);
    view_.DeleteNode(node);
    TreeView1Click();
}

}  // namespace kvr
