#include "editor/MainForm.h"

#include <array>
#include <cstdio>
#include <initializer_list>
#include <utility>

#include "editor/DisplayOrder.h"
#include "editor/FormHelpers.h"
#include "editor/MainFormInternal.h"
#include "editor/Publication.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "settings/PublishMachineSettings.h"
#include "store/AliasName.h"
#include "store/KeyStamp.h"
#include "texts/Labels.h"
#include "texts/Messages.h"

namespace kvr {

namespace {

struct Field {
    Box box;
    const char16_t* label;  // for messages about the field
};

// The box of each field of kAliasFieldKeys, in its order.
constexpr std::array<Field, kAliasFieldKeys.size()> kFields{{
    {Box::DatabaseName, texts::kFieldLabels[0]},
    {Box::ServerName, texts::kFieldLabels[1]},
    {Box::UserName, texts::kFieldLabels[2]},
    {Box::PassWord, texts::kFieldLabels[3]},
}};

}  // namespace

std::u16string FailureText(const std::exception& failure) {
    // Only the program's own errors carry a text meant for the user.
    if (dynamic_cast<const Error*>(&failure) != nullptr) {
        return ErrorBoxText(Unicode(failure.what()));
    }
    return {};
}

std::u16string ErrorBoxText(const std::u16string& message) {
    // A sentence our texts end in Chinese has its own full stop.
    if (!message.empty() && message.back() > u'.' &&
        std::u16string_view(u"。！？").find(message.back()) == std::u16string_view::npos) {
        return message + u".";
    }
    return message;
}

MainForm::MainForm(MainView& view, MainFormServices services)
    : view_(view), services_(std::move(services)) {}

MainForm::Busy::~Busy() {
    if (--form_.depth_ == 0 && form_.refreshWaiting_ && !form_.menuOpen_) {
        form_.RunWaitingRefresh();
    }
}

// ---- Window ----------------------------------------------------------------

void MainForm::FormCreate() {
    bFirstActivate = true;
    sOldName.clear();
}

void MainForm::FormActivate() {
    if (!bFirstActivate) {
        return;
    }
    // Cleared before anything can fail: closing an error box re-activates the
    // window, and the first activation must not run (and fail) again.
    bFirstActivate = false;
    Busy busy(*this);

    std::vector<std::u16string> failures;
    auto remember = [&](const std::exception& e) { failures.push_back(FailureText(e)); };

    try {
        sWorkDir = services_.currentDirectory();
    } catch (const std::exception& e) {
        // Without a work directory there is nothing to publish or list.
        Cipher.emplace();
        ClearAliasFields();
        view_.ShowError(FailureText(e));
        return;
    }
    file_.emplace(sWorkDir);
    view_.ShowWorkDirectory(
        Fill(Tr(KVR_TEXT("MainForm", "Work directory: %1")), {Unicode(sWorkDir)}));
    try {
        services_.publishSettings(sWorkDir);
        // Without the rights the registry keeps what it held: said once here,
        // on every system alike, and the aliases can be edited all the same.
        if (services_.publishedWorkDir && services_.publishedWorkDir() != sWorkDir) {
            failures.push_back(ErrorBoxText(Tr(PublicationRefusedText())));
        }
    } catch (const std::exception& e) {
        remember(e);
    }

    NodeId root = view_.RootNode();
    view_.SelectNode(root);
    try {
        listed_ = file_->ListAliases();
        SortedNames sorted = SortedForDisplay(listed_);
        const std::size_t before = view_.Children(root).size();
        view_.AddChildren(root, sorted.texts);
        // The new nodes are the last ones; each keeps its name's bytes.
        std::vector<NodeId> children = view_.Children(root);
        for (std::size_t i = 0; i < sorted.names.size() && before + i < children.size(); ++i) {
            names_[children[before + i]] = std::move(sorted.names[i]);
        }
        // Sorted before they are added, so only the collapsed tree remains to show.
        view_.FullCollapse();
    } catch (const std::exception& e) {
        remember(e);
    }

    Cipher.emplace();
    ClearAliasFields();
    ready_ = true;

    // The window is usable, with the root alone if the list could not be read.
    for (const std::u16string& text : failures) {
        view_.ShowError(text);
    }
}

bool MainForm::FormCloseQuery() {
    if (testing_) {
        return false;  // the window takes no input until the test is done
    }
    Busy busy(*this);
    try {
        return LeaveAlias();
    } catch (const std::exception& failure) {
        view_.ShowError(FailureText(failure));
        return false;
    }
}

void MainForm::FormClose() {
    Cipher.reset();
}

// ---- Tree and boxes ----------------------------------------------------------

bool MainForm::IsRoot(NodeId node) {
    return node == kNoNode || view_.NodeText(node) == kRootText;
}

AliasFile& MainForm::File() {
    if (!file_) {
        file_.emplace(sWorkDir.empty() ? services_.currentDirectory() : sWorkDir);
    }
    return *file_;
}

std::string MainForm::NameOf(NodeId node) {
    auto found = names_.find(node);
    if (found != names_.end()) {
        return found->second;
    }
    // Every alias node is made with its bytes; this is a node of the view's own.
    return platform::UnicodeToAnsi(view_.NodeText(node)).value_or(std::string());
}

NodeId MainForm::FindAliasNode(const std::string& name) {
    for (NodeId child : view_.Children(view_.RootNode())) {
        if (platform::EqualsIgnoreCase(NameOf(child), name)) {
            return child;
        }
    }
    return kNoNode;
}

std::optional<std::string> MainForm::Storable(const std::u16string& text, SourceText refusal,
                                              const std::u16string& what) {
    std::size_t bad = platform::FirstUnstorable(text);
    if (bad == platform::kAllStorable) {
        if (auto bytes = platform::UnicodeToAnsi(text)) {
            return bytes;
        }
    }
    view_.ShowError(Fill(Tr(refusal), {what, Quoted(platform::CharacterAt(text, bad)),
                                       Unicode(platform::AnsiCodePage()), oldNameText_}));
    return std::nullopt;
}

bool MainForm::Modified() {
    if (sAlias.empty()) {
        return false;  // the root: nothing to save
    }
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        if (view_.Text(kFields[i].box) != shown_[i]) {
            return true;
        }
    }
    return false;
}

// Before the boxes show something else: unsaved texts are saved or dropped as
// the user says. False when the user stays (Cancel, or a save that failed).
bool MainForm::LeaveAlias() {
    if (!Modified()) {
        return true;
    }
    Answer answer = view_.Ask(
        Fill(Tr(KVR_TEXT("MainForm", "The fields of alias [%1] have changed. Save them first?")),
             {Unicode(sAlias)}),
        Tr(KVR_TEXT("MainForm", "Unsaved changes")), Icon::Warning, DefaultButton::Yes,
        Buttons::YesNoCancel);
    switch (answer) {
        case Answer::Yes:
            try {
                return SaveAlias();
            } catch (const std::exception& failure) {
                view_.ShowError(FailureText(failure));
                return false;
            }
        case Answer::No:
            return true;
        case Answer::Cancel:
            break;
    }
    return false;
}

void MainForm::TreeView1Click() {
    Guarded([&] {
        if (!Ready()) {
            return;
        }
        NodeId node = view_.SelectedNode();
        // Clicking the alias on screen again keeps the user's unsaved texts;
        // the popup menu's test then tests them as shown.
        if (node != kNoNode && node == aliasNode_ && Modified()) {
            return;
        }
        if (!LeaveAlias()) {
            view_.SelectNode(aliasNode_ != kNoNode ? aliasNode_ : view_.RootNode());
            return;
        }
        LoadNode(node);
    });
}

void MainForm::LoadNode(NodeId node) {
    if (IsRoot(node)) {
        ClearAliasFields();
        return;
    }
    sAlias = NameOf(node);
    aliasNode_ = node;
    view_.SetText(Box::Name, view_.NodeText(node));
    LoadAlias();
}

void MainForm::ClearAliasFields() {
    view_.SetText(Box::Name, u"");
    view_.SetTestEnabled(false);
    sAlias.clear();
    aliasNode_ = kNoNode;
    for (const Field& field : kFields) {
        view_.SetText(field.box, u"");
    }
    shown_ = {};
    stored_ = {};
}

void MainForm::LoadAlias() {
    if (!Cipher) {
        Cipher.emplace();
    }
    // Every box is filled, each from its own value: a value that cannot be
    // decoded shows empty rather than leaving the previous alias's text there,
    // where the next save would write it into this alias.
    // What was loaded is kept: a box the user leaves as it was saves its
    // stored text again, so bytes the code page cannot show are never lost.
    std::optional<std::string> failure;
    bool unreadable = !platform::IsValidAnsi(sAlias);
    try {
        stored_ = File().ReadAliasFields(sAlias);
    } catch (const Error&) {
        // No box may keep another alias's text for a save into this one.
        ClearAliasFields();
        throw;
    }
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        std::u16string text;
        try {
            std::string value = Cipher->Decrypt(stored_[i]);
            unreadable = unreadable || !platform::IsValidAnsi(value);
            text = Unicode(value);
        } catch (const ConvertError& e) {
            if (!failure) {
                failure = e.what();
            }
        }
        view_.SetText(kFields[i].box, text);
        shown_[i] = std::move(text);
    }
    view_.SetTestEnabled(true);
    if (unreadable && warned_.insert(sAlias).second) {
        view_.ShowMessage(
            Fill(Tr(KVR_TEXT("MainForm",
                             "Some text of alias [%1] is not in the machine's code page (%2) and "
                             "cannot be shown: it shows as %3. Fields you leave as they are keep "
                             "their stored text when you save. When the file was written under "
                             "another code page, an administrator converts it with \"kvrcfg "
                             "recode --to <code page> --from <other code page>\", or sets the "
                             "machine's code page back with \"kvrcodepage <other code page>\".")),
                 {Unicode(sAlias), Unicode(platform::AnsiCodePage()), u"\uFFFD"}));
    }
    if (failure) {
        throw ConvertError(*failure);
    }
}

void MainForm::btnSaveClick() {
    Guarded([&] {
        if (Ready()) {
            SaveAlias();
        }
    });
}

bool MainForm::SaveAlias() {
    if (sAlias.empty()) {
        return true;
    }
    if (!Cipher) {
        Cipher.emplace();
    }
    // Every value is checked before anything is written, and the four are
    // written in one rewrite, so a save never stores half an alias. A box the
    // user did not change keeps its stored text exactly.
    std::array<std::u16string, kFields.size()> texts;
    std::array<bool, kFields.size()> changed{};
    AliasFields values;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        texts[i] = view_.Text(kFields[i].box);
        changed[i] = texts[i] != shown_[i] || stored_[i].empty();
        if (!changed[i]) {
            continue;
        }
        std::optional<std::string> value = Storable(
            texts[i],
            KVR_TEXT("MainForm",
                     "%1 holds the character %2, which the machine's code page (%3) cannot "
                     "store. Nothing was saved."),
            kFields[i].label);
        if (!value) {
            return false;
        }
        values[i] = std::move(*value);
    }
    if (auto unfit = FirstUnfitValue(values)) {
        std::size_t i = *unfit;
        view_.ShowError(Fill(Tr(texts::kTooLong),
                             {kFields[i].label, Unicode(std::to_string(CEncrpyt::kMaxValueLength)),
                              Unicode(std::to_string(values[i].size()))}));
        return false;
    }
    AliasFields stored;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        stored[i] =
            changed[i] ? Cipher->Encrypt(KeyStamp(services_.clock()), values[i]) : stored_[i];
    }
    // Written only over what the boxes were loaded from, unless the user says
    // so; never into a section that is gone, which would bring it back.
    using Result = AliasFile::SaveResult;
    Result result = File().SaveAliasFields(sAlias, stored, &stored_);
    if (result == Result::Changed) {
        Answer answer =
            view_.Ask(Fill(Tr(KVR_TEXT("MainForm",
                                       "Another program has changed alias [%1] since it was "
                                       "loaded. Overwrite its fields with the ones shown?")),
                           {Unicode(sAlias)}),
                      Tr(kChangedElsewhere), Icon::Warning, DefaultButton::No, Buttons::YesNo);
        if (answer != Answer::Yes) {
            return false;
        }
        result = File().SaveAliasFields(sAlias, stored);
    }
    if (result == Result::Missing) {
        view_.ShowMessage(
            Fill(Tr(KVR_TEXT("MainForm",
                             "Alias [%1] no longer exists: another program deleted or "
                             "renamed it. Nothing was saved.")),
                 {Unicode(sAlias)}));
        // The typed texts are then kept as that alias again, or dropped, as
        // the user says: either way nothing is left to ask about.
        FollowFile(true);
        return !Modified();
    }
    stored_ = stored;
    shown_ = texts;
    view_.ShowMessage(u"存檔完成!!");
    return true;
}

void MainForm::edDatabaseNameEnter(Box box) {
    view_.SetBoxBackground(box, Colour::Aqua);
}

void MainForm::edDatabaseNameExit(Box box) {
    view_.SetBoxBackground(box, Colour::Window);
}

}  // namespace kvr
