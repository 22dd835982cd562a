// The rename box, the rename itself, and the checks of a new alias name.
#include <optional>
#include <string>

#include "editor/FormHelpers.h"
#include "editor/MainForm.h"
#include "editor/MainFormInternal.h"
#include "platform/Text.h"
#include "store/AliasName.h"
#include "texts/Messages.h"

namespace kvr {

bool MainForm::UsableName(const std::string& name, bool renaming) {
    switch (CheckAliasName(name)) {
        case NameProblem::None:
            return true;
        case NameProblem::ControlCharacter:
            view_.ShowError(
                Fill(renaming ? Tr(KVR_TEXT("MainForm",
                                            "An alias name cannot hold a line break or another "
                                            "control character (this one holds %1). Alias %2 was "
                                            "not renamed."))
                              : Tr(KVR_TEXT("MainForm",
                                            "An alias name cannot hold a line break or another "
                                            "control character (this one holds %1). No alias was "
                                            "added.")),
                     {FirstControl(name), oldNameText_}));
            return false;
        case NameProblem::RootText:
            view_.ShowError(
                Fill(renaming ? Tr(KVR_TEXT("MainForm",
                                            "An alias cannot be named %1: that is the name of the "
                                            "tree's root. Alias %2 was not renamed."))
                              : Tr(KVR_TEXT("MainForm",
                                            "An alias cannot be named %1: that is the name of the "
                                            "tree's root. No alias was added.")),
                     {Unicode(name), oldNameText_}));
            return false;
        case NameProblem::TooLong:
        case NameProblem::SurroundingBlank:  // the boxes' texts come trimmed
            view_.ShowError(Fill(
                renaming ? Tr(KVR_TEXT("MainForm",
                                       "An alias name holds at most %1 bytes and cannot begin or "
                                       "end with a blank. Alias %2 was not renamed."))
                         : Tr(KVR_TEXT("MainForm",
                                       "An alias name holds at most %1 bytes and cannot begin or "
                                       "end with a blank. No alias was added.")),
                {Unicode(std::to_string(kMaxAliasNameBytes)), oldNameText_}));
            return false;
    }
    return false;
}

// ---- Rename box ------------------------------------------------------------

void MainForm::edNameEnter() {
    if (renaming_) {
        return;
    }
    RememberOldName();
}

void MainForm::RememberOldName() {
    oldNameText_ = TrimmedText(view_.Text(Box::Name));
    // The box shows the alias's name as decoded; its bytes are the node's, so
    // a name the code page cannot show can still be renamed.
    if (aliasNode_ != kNoNode && oldNameText_ == TrimmedText(view_.NodeText(aliasNode_))) {
        sOldName = sAlias;
    } else {
        sOldName = platform::UnicodeToAnsi(oldNameText_).value_or(std::string());
    }
}

void MainForm::edNameKeyDown(int key) {
    view_.SetNameColour(Colour::Red);
    if (key == kKeyEnter) {
        edNameExit();
        RememberOldName();
    } else if (key == kKeyEscape) {
        RestoreName();
    }
}

void MainForm::edNameExit() {
    // The question box takes the focus from the name box; that must not ask again.
    if (renaming_) {
        return;
    }
    Guarded([&] {
        if (!Ready()) {
            return;
        }
        const std::u16string newText = TrimmedText(view_.Text(Box::Name));
        if (newText == oldNameText_) {
            return;
        }
        RenameAlias(newText);
    });
}

void MainForm::RestoreName() {
    view_.SetText(Box::Name, oldNameText_);
    view_.SetNameColour(Colour::Blue);
}

void MainForm::RenameAlias(const std::u16string& newText) {
    // With the root shown there is no alias to rename, and an emptied box
    // names nothing: put the box back without asking.
    if (sAlias.empty() || aliasNode_ == kNoNode || newText.empty()) {
        RestoreName();
        return;
    }
    const std::optional<std::string> converted = platform::UnicodeToAnsi(newText);
    if (!converted || CheckAliasName(*converted) != NameProblem::None) {
        // The old name is back before the refusal shows: a view whose box
        // loses the focus to the message box then finds nothing to rename.
        RestoreName();
        const std::optional<std::string> storable = Storable(
            newText,
            KVR_TEXT("MainForm",
                     "The alias name [%1] holds the character %2, which the machine's code page "
                     "(%3) cannot store. Alias %4 was not renamed."),
            newText);
        if (storable) {
            UsableName(*storable, true);
        }
        return;
    }
    const std::string& newName = *converted;
    // A name that another header carries would leave one of the two sections
    // unreachable. A change of letter case alone is the same header.
    if (!platform::EqualsIgnoreCase(newName, sOldName) && File().HasAliasHeader(newName)) {
        RestoreName();
        view_.ShowError(
            Fill(Tr(texts::kNameTaken), {Unicode(StoredName(File(), newName)), oldNameText_}));
        return;
    }

    Answer answer;
    {
        renaming_ = true;
        Finally done([&] { renaming_ = false; });
        answer = view_.Ask(u"是否將KVR別名" + oldNameText_ + u"更改為" + newText + u"？",
                           u"訊息！注意！注意！", Icon::None, DefaultButton::Yes, Buttons::YesNo);
    }
    if (answer != Answer::Yes) {
        RestoreName();
        return;
    }

    // The check above and the question took time: the store decides again,
    // under the file's lock, whether the name is free and the alias still there.
    AliasFile::RenameResult result;
    try {
        result = File().RenameAlias(sOldName, newName);
    } catch (...) {
        RestoreName();
        throw;
    }
    switch (result) {
        case AliasFile::RenameResult::Renamed:
            view_.SetNodeText(aliasNode_, Unicode(newName));
            names_[aliasNode_] = newName;
            // Later saves go to the renamed section.
            sAlias = newName;
            view_.SetNameColour(Colour::Blue);
            break;
        case AliasFile::RenameResult::NameTaken:
            RestoreName();
            view_.ShowError(
                Fill(Tr(texts::kNameTaken), {Unicode(StoredName(File(), newName)), oldNameText_}));
            FollowFile();
            break;
        case AliasFile::RenameResult::Missing:
            RestoreName();
            view_.ShowMessage(Fill(Tr(KVR_TEXT("MainForm",
                                               "Alias [%1] no longer exists: another program "
                                               "deleted or renamed it. It was not renamed.")),
                                   {oldNameText_}));
            FollowFile(true);
            break;
    }
}

}  // namespace kvr
