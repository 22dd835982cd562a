#pragma once
// What the main window's logic needs of the screen. The Qt window implements
// it; tests use a fake that records calls and scripts the user's answers.
// Texts are Unicode (UTF-16); the logic converts to the ANSI code page when it
// talks to the alias store.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "texts/Texts.h"

namespace kvr {

using NodeId = int;
inline constexpr NodeId kNoNode = -1;

enum class Box { Name, DatabaseName, ServerName, UserName, PassWord };
enum class Colour { Red, Blue, Aqua, Window };
enum class Icon { None, Warning };
enum class Answer { Yes, No, Cancel };
enum class Buttons { YesNo, YesNoCancel };
enum class DefaultButton { Yes, No };

class MainView {
  public:
    virtual ~MainView() = default;

    // The tree. Node ids stay valid until the node is deleted.
    virtual NodeId RootNode() = 0;      // the tree's first node
    virtual NodeId SelectedNode() = 0;  // kNoNode when none is selected
    virtual void SelectNode(NodeId node) = 0;
    virtual std::u16string NodeText(NodeId node) = 0;
    virtual std::vector<NodeId> Children(NodeId node) = 0;
    virtual void SetNodeText(NodeId node, const std::u16string& text) = 0;
    // Appends the texts, in order, as the last children of parent.
    virtual void AddChildren(NodeId parent, const std::vector<std::u16string>& texts) = 0;
    virtual NodeId AddChild(NodeId parent, const std::u16string& text) = 0;
    // Appends a node as the last one of node's own level.
    virtual NodeId AddSibling(NodeId node, const std::u16string& text) = 0;
    // Deletes a node; the tree then selects another one by its own rules.
    virtual void DeleteNode(NodeId node) = 0;
    virtual void FullExpand(NodeId node) = 0;  // the node and all below it
    virtual void FullCollapse() = 0;           // every node of the tree

    // The five boxes, the rename box's text colour, the field boxes' background.
    virtual std::u16string Text(Box box) = 0;
    virtual void SetText(Box box, const std::u16string& text) = 0;
    virtual void SetNameColour(Colour colour) = 0;
    virtual void SetBoxBackground(Box box, Colour colour) = 0;
    virtual void SetTestEnabled(bool enabled) = 0;

    // The popup menu's items New, Delete and Test.
    virtual void ShowMenuItems(bool newItem, bool deleteItem, bool testItem) = 0;
    // Opens the popup menu for the selected node, as the keyboard's menu key
    // does (the view runs pmMenuPopup first, as for any popup).
    virtual void OpenMenu() = 0;
    // Puts the focus in the rename box with its whole text selected.
    virtual void FocusNameBox() = 0;

    // Modal boxes. Simple: the application's title as caption, one OK button.
    virtual void ShowMessage(const std::u16string& text) = 0;
    // The simple box, with details the user can open.
    virtual void ShowMessageWithDetails(const std::u16string& text,
                                        const std::u16string& details) = 0;
    // The error box: title as caption, error icon, one OK button.
    virtual void ShowError(const std::u16string& text) = 0;
    // A question with an explicit caption: Yes and No, or Yes, No and Cancel.
    // Closing a Yes/No/Cancel box with Escape or the window's close answers
    // Cancel; a Yes/No box answers No.
    virtual Answer Ask(const std::u16string& text, const std::u16string& caption, Icon icon,
                       DefaultButton defaultButton, Buttons buttons) = 0;

    // One of our own texts in the user's language (the English text when there
    // is no translation).
    virtual std::u16string Translate(SourceText text) = 0;

    // Shows which work directory the window edits (a line of text such as
    // "Work directory: /srv/kvr/"), leaving the caption and the root's text
    // as they are.
    virtual void ShowWorkDirectory(const std::u16string& text) = 0;

    // The name dialog. The text typed, or nothing when the user cancelled it.
    virtual std::optional<std::u16string> PromptName() = 0;

    // Runs work off the GUI thread and returns when it has finished; meanwhile
    // the window keeps repainting but takes no input.
    virtual void RunWithoutInput(const std::function<void()>& work) = 0;
};

}  // namespace kvr
