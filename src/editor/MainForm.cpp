#include "editor/MainForm.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <initializer_list>
#include <iterator>
#include <utility>

#include "editor/DisplayOrder.h"
#include "editor/FormHelpers.h"
#include "editor/Publication.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "settings/PublishMachineSettings.h"
#include "store/AliasName.h"
#include "store/KeyStamp.h"
#include "texts/Explanations.h"
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

std::u16string Unicode(std::string_view ansi) {
    return platform::AnsiToUnicode(ansi);
}

// The name as the file stores it, in its letter case; the name itself when
// no header carries it.
std::string StoredName(AliasFile& file, const std::string& name) {
    for (std::string& listed : file.ListExistingAliases()) {
        if (platform::EqualsIgnoreCase(listed, name)) {
            return std::move(listed);
        }
    }
    return name;
}

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

template <class Step>
void MainForm::Guarded(Step&& step) {
    Busy busy(*this);
    try {
        step();
    } catch (const std::exception& failure) {
        view_.ShowError(FailureText(failure));
    } catch (...) {
        view_.ShowError(u"");
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
                      Tr(KVR_TEXT("MainForm", "Alias changed elsewhere")), Icon::Warning,
                      DefaultButton::No, Buttons::YesNo);
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
    Answer answer = view_.Ask(Fill(Tr(question), {alias, newName}),
                              Tr(KVR_TEXT("MainForm", "Alias changed elsewhere")), Icon::Warning,
                              DefaultButton::Yes, Buttons::YesNo);
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

NodeId MainForm::FindAliasNode(const std::string& name) {
    for (NodeId child : view_.Children(view_.RootNode())) {
        if (platform::EqualsIgnoreCase(NameOf(child), name)) {
            return child;
        }
    }
    return kNoNode;
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
