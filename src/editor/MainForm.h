#pragma once
// The main window's state and handlers, free of any toolkit. The window
// forwards its events here; everything the user sees goes through MainView.
// Handlers never throw: a failure ends the handler and is shown in the error
// box, and the window goes on.
#include <functional>
#include <optional>
#include <string>

#include "dbtest/ConnectionOpener.h"
#include "dbtest/ConnectionString.h"
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
    void RenameAlias(const std::string& newName);
    void RestoreName();

    bool IsRoot(NodeId node);
    NodeId FindAliasNode(const std::string& name);
    AliasFile& File();
    std::string AnsiText(Box box);

    MainView& view_;
    MainFormServices services_;

    std::string sWorkDir;
    std::string sAlias;
    std::string sOldName;
    bool bFirstActivate = false;

    std::optional<AliasFile> file_;
    std::optional<CEncrpyt> Cipher;
    NodeId aliasNode_ = kNoNode;  // the node whose alias the boxes show
    bool renaming_ = false;       // edNameExit is asking (its box takes the focus)
};

// The error box's text: the message, with "." appended when its last character
// sorts after ".".
std::u16string ErrorBoxText(const std::u16string& message);
// What the error box says for a failure: the error box text of the program's
// own errors, nothing for anything else.
std::u16string FailureText(const std::exception& failure);

}  // namespace kvr
