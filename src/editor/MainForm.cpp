#include "editor/MainForm.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "settings/PublishMachineSettings.h"
#include "store/KeyStamp.h"

namespace kvr {

namespace {

struct Field {
    Box box;
    const char16_t* label;  // for messages about the field
};

// The box of each field of kAliasFieldKeys, in its order.
constexpr std::array<Field, kAliasFieldKeys.size()> kFields{{
    {Box::DatabaseName, u"資料庫名稱"},
    {Box::ServerName, u"伺服器名稱"},
    {Box::UserName, u"使用者帳號"},
    {Box::PassWord, u"使用者密碼"},
}};

std::u16string Unicode(std::string_view ansi) {
    return platform::AnsiToUnicode(ansi);
}

// Puts `value` in place of "%1".
std::u16string Arg(std::u16string text, const std::u16string& value) {
    if (auto at = text.find(u"%1"); at != std::u16string::npos) {
        text.replace(at, 2, value);
    }
    return text;
}

std::string TrimmedCopy(std::string_view text) {
    return std::string(platform::Trim(text));
}

// Runs a step when the scope ends, however it ends.
template <class F>
class Finally {
  public:
    explicit Finally(F f) : f_(std::move(f)) {}
    ~Finally() { f_(); }
    Finally(const Finally&) = delete;
    Finally& operator=(const Finally&) = delete;

  private:
    F f_;
};

// The names in the user's locale order (letter case counting), as Unicode.
// One collation key per name keeps start-up fast for large files.
std::vector<std::u16string> SortedForDisplay(const std::vector<std::string>& names) {
    std::vector<std::pair<std::string, std::u16string>> entries;
    entries.reserve(names.size());
    for (const std::string& name : names) {
        std::u16string text = Unicode(name);
        std::string key = platform::CollationKey(text);
        entries.emplace_back(std::move(key), std::move(text));
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::u16string> texts;
    texts.reserve(entries.size());
    for (auto& entry : entries) {
        texts.push_back(std::move(entry.second));
    }
    return texts;
}

}  // namespace

std::u16string FailureText(const std::exception& failure) {
    // Only the program's own errors carry a text meant for the user.
    if (dynamic_cast<const Error*>(&failure) != nullptr) {
        return ErrorBoxText(Unicode(failure.what()));
    }
    return {};
}

MainFormServices MainFormServices::Machine() {
    MainFormServices s;
    s.currentDirectory = platform::CurrentDirectory;
    s.publishSettings = [](const std::string& workDir) {
        PublishMachineSettings(workDir, *platform::MachineRegistry());
    };
    s.openConnection = OpenConnectionOnce;
    s.clock = platform::GetLocalTime;
    return s;
}

std::u16string ErrorBoxText(const std::u16string& message) {
    if (!message.empty() && message.back() > u'.') {
        return message + u".";
    }
    return message;
}

MainForm::MainForm(MainView& view, MainFormServices services)
    : view_(view), services_(std::move(services)) {}

template <class Step>
void MainForm::Guarded(Step&& step) {
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

    std::vector<std::u16string> failures;
    auto remember = [&](const std::exception& e) { failures.push_back(FailureText(e)); };

    sWorkDir = services_.currentDirectory();
    file_.emplace(sWorkDir);
    try {
        services_.publishSettings(sWorkDir);
    } catch (const std::exception& e) {
        remember(e);
    }

    NodeId root = view_.RootNode();
    view_.SelectNode(root);
    try {
        view_.AddChildren(root, SortedForDisplay(file_->ListAliases()));
        // Sorted before they are added, so only the collapsed tree remains to show.
        view_.FullCollapse();
    } catch (const std::exception& e) {
        remember(e);
    }

    Cipher.emplace();
    ClearAliasFields();

    // The window is usable, with the root alone if the list could not be read.
    for (const std::u16string& text : failures) {
        view_.ShowError(text);
    }
}

bool MainForm::FormCloseQuery() {
    return LeaveAlias();
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

std::string MainForm::AnsiText(Box box) {
    return platform::UnicodeToAnsi(view_.Text(box));
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
        Arg(Tr(KVR_TEXT("MainForm", "The fields of alias [%1] have changed. Save them first?")),
            Unicode(sAlias)),
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
        if (IsRoot(node)) {
            ClearAliasFields();
            return;
        }
        std::u16string text = view_.NodeText(node);
        sAlias = platform::UnicodeToAnsi(text);
        aliasNode_ = node;
        view_.SetText(Box::Name, text);
        LoadAlias();
    });
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
}

void MainForm::LoadAlias() {
    if (!Cipher) {
        Cipher.emplace();
    }
    // Every box is filled, each from its own value: a value that cannot be
    // decoded shows empty rather than leaving the previous alias's text there,
    // where the next save would write it into this alias.
    std::optional<std::string> failure;
    const AliasFields stored = File().ReadAliasFields(sAlias);
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        std::u16string text;
        try {
            text = Unicode(Cipher->Decrypt(stored[i]));
        } catch (const ConvertError& e) {
            if (!failure) {
                failure = e.what();
            }
        }
        view_.SetText(kFields[i].box, text);
        shown_[i] = std::move(text);
    }
    view_.SetTestEnabled(true);
    if (failure) {
        throw ConvertError(*failure);
    }
}

void MainForm::btnSaveClick() {
    Guarded([&] { SaveAlias(); });
}

bool MainForm::SaveAlias() {
    if (sAlias.empty()) {
        return true;
    }
    if (!Cipher) {
        Cipher.emplace();
    }
    // Every value is checked before anything is written, and the four are
    // written in one rewrite, so a save never stores half an alias.
    AliasFields values;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        values[i] = AnsiText(kFields[i].box);
    }
    if (auto unfit = FirstUnfitValue(values)) {
        std::size_t i = *unfit;
        view_.ShowError(std::u16string(kFields[i].label) + u"太長，無法存檔（最多 " +
                        Unicode(std::to_string(CEncrpyt::kMaxValueLength)) + u" 個位元組，現為 " +
                        Unicode(std::to_string(values[i].size())) + u" 個）。未寫入任何欄位。");
        return false;
    }
    AliasFields stored;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        stored[i] = Cipher->Encrypt(KeyStamp(services_.clock()), values[i]);
    }
    File().WriteAliasFields(sAlias, stored);
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        shown_[i] = view_.Text(kFields[i].box);
    }
    view_.ShowMessage(u"存檔完成!!");
    return true;
}

void MainForm::edDatabaseNameEnter(Box box) {
    view_.SetBoxBackground(box, Colour::Aqua);
}

void MainForm::edDatabaseNameExit(Box box) {
    view_.SetBoxBackground(box, Colour::Window);
}

// ---- Connection test -------------------------------------------------------

void MainForm::btnTestClick() {
    Guarded([&] { TestConnection(); });
}

void MainForm::TestConnection() {
    view_.SetTestEnabled(false);
    Finally enableAgain([&] { view_.SetTestEnabled(true); });

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
        view_.ShowMessageWithDetails(u"連線失敗!!", platform::Utf8ToUtf16(outcome.detail));
    }
}

// ---- Popup menu ------------------------------------------------------------

void MainForm::pmMenuPopup() {
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
}

// ---- Keys --------------------------------------------------------------------

bool MainForm::FormKeyDown(int key, KeyModifiers modifiers) {
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
    if (modifiers.control || modifiers.alt) {
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
        if (platform::EqualsIgnoreCase(platform::UnicodeToAnsi(view_.NodeText(child)), name)) {
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
    const std::string name = TrimmedCopy(platform::UnicodeToAnsi(*typed));
    if (name.empty()) {
        return;
    }
    NodeId root = view_.RootNode();
    if (File().HasAliasHeader(name)) {
        // The alias exists already (perhaps in another letter case): show it
        // instead of adding a second node for the same section.
        NodeId existing = FindAliasNode(name);
        if (existing == kNoNode) {
            existing = view_.AddChild(root, Unicode(name));
        }
        view_.FullExpand(root);
        view_.SelectNode(existing);
        TreeView1Click();
        return;
    }
    File().AddAliasHeader(name);
    NodeId selected = view_.SelectedNode();
    if (IsRoot(selected)) {
        view_.AddChild(selected == kNoNode ? root : selected, Unicode(name));
    } else {
        view_.AddSibling(selected, Unicode(name));
    }
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
    File().DeleteAliasSection(platform::UnicodeToAnsi(name));
    if (aliasNode_ == node) {
        // Its texts went with it: nothing left to ask about.
        aliasNode_ = kNoNode;
        sAlias.clear();
    }
    view_.DeleteNode(node);
    TreeView1Click();
}

// ---- Rename box ------------------------------------------------------------

void MainForm::edNameEnter() {
    if (renaming_) {
        return;
    }
    sOldName = TrimmedCopy(AnsiText(Box::Name));
}

void MainForm::edNameKeyDown(int key) {
    view_.SetNameColour(Colour::Red);
    if (key == kKeyEnter) {
        edNameExit();
        sOldName = TrimmedCopy(AnsiText(Box::Name));
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
        const std::string newName = TrimmedCopy(AnsiText(Box::Name));
        if (newName == sOldName) {
            return;
        }
        RenameAlias(newName);
    });
}

void MainForm::RestoreName() {
    view_.SetText(Box::Name, Unicode(sOldName));
    view_.SetNameColour(Colour::Blue);
}

void MainForm::RenameAlias(const std::string& newName) {
    // With the root shown there is no alias to rename, and an emptied box
    // names nothing: put the box back without asking.
    if (sAlias.empty() || aliasNode_ == kNoNode || newName.empty()) {
        RestoreName();
        return;
    }
    // A name that another header carries would leave one of the two sections
    // unreachable. A change of letter case alone is the same header.
    if (!platform::EqualsIgnoreCase(newName, sOldName) && File().HasAliasHeader(newName)) {
        RestoreName();
        view_.ShowError(u"KVR別名[" + Unicode(newName) + u"]已存在，無法將KVR別名" +
                        Unicode(sOldName) + u"更改為此名稱。");
        return;
    }

    Answer answer;
    {
        renaming_ = true;
        Finally done([&] { renaming_ = false; });
        answer =
            view_.Ask(u"是否將KVR別名" + Unicode(sOldName) + u"更改為" + Unicode(newName) + u"？",
                      u"訊息！注意！注意！", Icon::None, DefaultButton::Yes, Buttons::YesNo);
    }
    if (answer != Answer::Yes) {
        RestoreName();
        return;
    }

    bool found = false;
    try {
        found = File().RenameAliasHeader(sOldName, newName);
    } catch (...) {
        RestoreName();
        throw;
    }
    if (found) {
        view_.SetNodeText(aliasNode_, Unicode(newName));
        // Later saves go to the renamed section.
        sAlias = newName;
    }
    view_.SetNameColour(Colour::Blue);
}

}  // namespace kvr
