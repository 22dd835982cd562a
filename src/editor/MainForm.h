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

#include "dbtest/ConnectionOpener.h"
#include "dbtest/ConnectionString.h"
#include "editor/Keys.h"
#include "editor/MainView.h"
#include "platform/Clock.h"
#include "store/AliasFile.h"
#include "store/Cencrpyt.h"
#include "texts/Labels.h"

namespace kvr {

// What the logic takes from the machine (app/MachineServices.h picks the
// real ones); tests replace any of it.
struct MainFormServices {
    std::function<std::string()> currentDirectory;
    std::function<void(const std::string& workDir)> publishSettings;
    // The work directory the machine publishes, read back after publishing:
    // one that differs was refused (no rights), and the first activation
    // says so. Unset: not checked.
    std::function<std::optional<std::string>()> publishedWorkDir;
    std::function<ConnectionOutcome(const std::string& connectionString)> openConnection;
    std::function<platform::LocalTime()> clock;
};

class MainForm {
  public:
    static constexpr const char16_t* kRootText = texts::kRootTextWide.data();

    MainForm(MainView& view, MainFormServices services);

    // Window
    void FormCreate();
    void FormActivate();
    // Whether the window may close, or the session end (logging off, shutting
    // down): never while a connection test runs; unsaved box texts are saved
    // or dropped first, as the user answers; false keeps the window open.
    bool FormCloseQuery();
    void FormClose();

    // Keys. Each returns true when it took the key; the view then drops it.
    // FormKeyDown sees every key of the window first: Ctrl+S saves, F2 goes
    // to the rename box.
    bool FormKeyDown(int key, KeyModifiers modifiers);
    // On the tree: Enter and Space act as a click, Delete deletes the alias,
    // Shift+F10 and the menu key open the popup menu. Arrow keys only move
    // the highlight; they load nothing.
    bool TreeView1KeyDown(int key, KeyModifiers modifiers);

    // Tree and boxes
    void TreeView1Click();
    void btnSaveClick();
    void btnTestClick();
    void edDatabaseNameEnter(Box box);
    void edDatabaseNameExit(Box box);

    // KVRCFG changed on disk, perhaps through another window or program: the
    // tree follows the names in the file (added, removed, renamed), keeping
    // the selection. The window calls it whenever it sees the file change;
    // while a handler is under way (a question, the name dialog, a test) or
    // the popup menu is open, the refresh waits until they are over. When
    // the shown alias went, the user is told once; typed texts are offered
    // to be kept as that alias again.
    void AliasFileChanged();
    // Whether a refresh would run now rather than wait.
    bool MayRefresh() const { return depth_ == 0 && !menuOpen_; }

    // Popup menu; tag 1 New, 2 Delete, 3 Test. A command chosen from the menu
    // acts on the node the menu was opened for, or on nothing when that node
    // went meanwhile. The view calls pmMenuClosed when the menu has closed,
    // whether or not a command was chosen.
    void pmMenuPopup();
    void pmnNewClick(int tag);
    void pmMenuClosed();

    // Rename box
    void edNameEnter();
    void edNameKeyDown(int key);  // virtual-key code; Enter renames, Escape restores
    void edNameExit();

    // State, for the window and for tests (ANSI bytes)
    const std::string& WorkDir() const { return sWorkDir; }
    const std::string& Alias() const { return sAlias; }
    const std::string& OldName() const { return sOldName; }
    bool FirstActivatePending() const { return bFirstActivate; }
    // The field boxes differ from what was loaded or last saved.
    bool Modified();

  private:
    // Marks a handler under way; the outermost one, when it ends, runs a
    // refresh that had to wait.
    class Busy {
      public:
        explicit Busy(MainForm& form) : form_(form) { ++form_.depth_; }
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

      private:
        MainForm& form_;
    };
    friend class Busy;

    template <class Step>
    void Guarded(Step&& step);
    // Whether the alias list is there: no command runs before it.
    bool Ready() const { return ready_; }
    void RunWaitingRefresh() noexcept;

    void ClearAliasFields();
    void LoadAlias();
    bool SaveAlias();  // false when the save was refused
    bool LeaveAlias();
    void TestConnection();
    void NewAlias();
    void DeleteAlias();
    void RenameAlias(const std::u16string& newText);
    void RememberOldName();
    void RestoreName();
    // told: the user was just told that the shown alias is gone.
    void FollowFile(bool told = false);
    // The shown alias went from the file (to renamedTo when another program
    // renamed it): says so once, and keeps or drops the typed texts.
    void ShownAliasGone(const std::optional<std::string>& renamedTo, bool told);
    void LoadNode(NodeId node);
    bool NodeExists(NodeId node);

    bool IsRoot(NodeId node);
    NodeId FindAliasNode(const std::string& name);
    AliasFile& File();
    // The bytes of the node's name as the file holds them.
    std::string NameOf(NodeId node);
    // The text as ANSI bytes. When the code page cannot hold one of its
    // characters, shows the refusal: %1 what, %2 the character, %3 the code
    // page, %4 the old name (for a rename).
    std::optional<std::string> Storable(const std::u16string& text, SourceText refusal,
                                        const std::u16string& what);
    // Whether the alias file takes the name; else says why.
    bool UsableName(const std::string& name, bool renaming);
    std::u16string Tr(SourceText text) { return view_.Translate(text); }

    MainView& view_;
    MainFormServices services_;

    std::string sWorkDir;
    std::string sAlias;
    std::string sOldName;
    bool bFirstActivate = false;

    std::optional<AliasFile> file_;
    std::optional<CEncrpyt> Cipher;
    NodeId aliasNode_ = kNoNode;  // the node whose alias the boxes show
    // The file's names as the tree last followed them, in file order.
    std::vector<std::string> listed_;
    // The field boxes' texts as loaded or last saved, in load order.
    std::array<std::u16string, 4> shown_;
    // Their stored texts as loaded or last saved: a box left as it was saves
    // exactly these, and a save asks before overwriting what another program
    // wrote over them since.
    AliasFields stored_;
    std::unordered_map<NodeId, std::string> names_;  // each alias node's name bytes
    std::set<std::string> warned_;                   // aliases told that some text cannot be shown
    std::u16string oldNameText_;  // the rename box's trimmed text when it was entered
    bool renaming_ = false;       // edNameExit is asking (its box takes the focus)

    int depth_ = 0;                // handlers under way
    bool menuOpen_ = false;        // the popup menu is open
    NodeId menuNode_ = kNoNode;    // the node it was opened for
    bool refreshWaiting_ = false;  // a refresh waits for the handlers to end
    bool testing_ = false;         // a connection test runs
    bool ready_ = false;           // the first activation has listed the aliases
};

// The error box's text: the message, with "." appended when its last character
// sorts after ".".
std::u16string ErrorBoxText(const std::u16string& message);
// What the error box says for a failure: the error box text of the program's
// own errors, nothing for anything else.
std::u16string FailureText(const std::exception& failure);

}  // namespace kvr
