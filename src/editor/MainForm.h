#pragma once
// The main window's state and handlers, free of any toolkit. The window
// forwards its events here; everything the user sees goes through MainView.
// Handlers never throw: a failure ends the handler and is shown in the error
// box, and the window goes on.
#include <array>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>

#include "dbtest/ConnectionTest.h"
#include "editor/MainView.h"
#include "platform/Clock.h"
#include "store/AliasFile.h"
#include "store/Cencrpyt.h"

namespace kvr {

// What the logic takes from the machine; tests replace any of it.
struct MainFormServices {
    std::function<std::string()> currentDirectory;
    std::function<void(const std::string& workDir)> publishSettings;
    std::function<ConnectionOutcome(const std::string& connectionString)> openConnection;
    std::function<platform::LocalTime()> clock;

    static MainFormServices Machine();  // the real ones
};

class MainForm {
  public:
    static constexpr char16_t kRootText[] = u"Kavrolis";

    explicit MainForm(MainView& view, MainFormServices services = MainFormServices::Machine());

    // Window
    void FormCreate();
    void FormActivate();
    void FormClose();

    // Tree and boxes
    void TreeView1Click();
    void btnSaveClick();
    void btnTestClick();
    void edDatabaseNameEnter(Box box);
    void edDatabaseNameExit(Box box);

    // Popup menu; tag 1 New, 2 Delete, 3 Test
    void pmMenuPopup();
    void pmnNewClick(int tag);

    // Rename box
    void edNameEnter();
    void edNameKeyDown(int key);  // virtual-key code; 13 is Enter
    void edNameExit();

    // State, for the window and for tests (ANSI bytes)
    const std::string& WorkDir() const { return sWorkDir; }
    const std::string& Alias() const { return sAlias; }
    const std::string& OldName() const { return sOldName; }
    bool FirstActivatePending() const { return bFirstActivate; }

  private:
    template <class Step>
    void Guarded(Step&& step);

    void ClearAliasFields();
    void LoadAlias();
    void SaveAlias();
    void TestConnection();
    void NewAlias();
    void DeleteAlias();
    void RenameAlias(const std::u16string& newText);
    void RememberOldName();
    void RestoreName();

    bool IsRoot(NodeId node);
    // The bytes of the node's name as the file holds them.
    std::string NameOf(NodeId node);
    NodeId FindAliasNode(const std::string& name);
    AliasFile& File();
    // The text as ANSI bytes; when the code page cannot hold one of its
    // characters, shows which one in what (a field or a name) and outcome.
    std::optional<std::string> Storable(const std::u16string& text, const std::u16string& what,
                                        const std::u16string& outcome);
    // Whether the alias file takes the name; else says why, and outcome.
    bool UsableName(const std::string& name, const std::u16string& outcome);

    MainView& view_;
    MainFormServices services_;

    std::string sWorkDir;
    std::string sAlias;
    std::string sOldName;
    bool bFirstActivate = false;

    std::optional<AliasFile> file_;
    std::optional<CEncrpyt> Cipher;
    NodeId aliasNode_ = kNoNode;                     // the node whose alias the boxes show
    std::unordered_map<NodeId, std::string> names_;  // each alias node's name bytes
    std::set<std::string> warned_;                   // aliases told that some text cannot be shown
    std::u16string oldNameText_;  // the rename box's trimmed text when it was entered

    // The alias as loaded into the boxes: each field's stored text and the
    // text shown for it.
    struct LoadedField {
        std::string stored;
        std::u16string shown;
    };
    std::array<LoadedField, 4> loaded_;
    NodeId loadedNode_ = kNoNode;  // whose fields loaded_ holds
    bool renaming_ = false;        // edNameExit is asking (its box takes the focus)
};

// The error box's text: the message, with "." appended when its last character
// sorts after ".".
std::u16string ErrorBoxText(const std::u16string& message);
// What the error box says for a failure: the error box text of the program's
// own errors, nothing for anything else.
std::u16string FailureText(const std::exception& failure);

}  // namespace kvr
