// Unsaved box texts when the user leaves them, and the keyboard's commands.
#include <gtest/gtest.h>

#include "editor/EditorFixture.h"

namespace kvr::test {
namespace {

using Texts = std::vector<std::u16string>;

class UnsavedTest : public EditorTest {
  protected:
    void SetUp() override {
        Store("a", {"db-a", "srv-a", "sa", "pw-a"});
        Store("b", {"db-b", "srv-b", "sa", "pw-b"});
        Start();
        Click(u"a");
        view.text[Box::ServerName] = u"edited";
    }
    std::vector<std::string> StoredA() {
        AliasFile file(workDir);
        return {CEncrpyt().Decrypt(file.ReadAliasField("a", "DatabaseName")),
                CEncrpyt().Decrypt(file.ReadAliasField("a", "ServerName"))};
    }
};

TEST_F(UnsavedTest, LeavingAsksAndEachAnswerDoesItsPart) {
    // Cancel: the tree goes back to the alias on screen, its texts stay.
    view.answers = {Answer::Cancel};
    Click(u"b");
    auto shown = view.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, ShownBox::Question);
    EXPECT_EQ(shown[0].buttons, Buttons::YesNoCancel);
    EXPECT_NE(shown[0].text.find(u"[a]"), std::u16string::npos);
    EXPECT_EQ(view.SelectedNode(), view.Child(u"a"));
    EXPECT_EQ(view.text[Box::ServerName], u"edited");
    EXPECT_EQ(StoredA()[1], "srv-a");

    // No: dropped, and b shows.
    view.answers = {Answer::No};
    Click(u"b");
    EXPECT_EQ(BoxTexts(), (Texts{u"db-b", u"srv-b", u"sa", u"pw-b"}));
    EXPECT_EQ(StoredA()[1], "srv-a");

    // Yes: saved, then the root shows.
    Click(u"a");
    view.text[Box::ServerName] = u"edited";
    view.Take();
    view.answers = {Answer::Yes};
    Click(u"Kavrolis");
    shown = view.Take();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].text, u"存檔完成!!");
    EXPECT_EQ(StoredA()[1], "edited");
    EXPECT_EQ(view.text[Box::Name], u"");
}

TEST_F(UnsavedTest, RefusedSaveStays) {
    view.text[Box::DatabaseName] = std::u16string(240, u'x');
    view.answers = {Answer::Yes};
    Click(u"b");
    auto shown = view.Take();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].kind, ShownBox::Error);
    EXPECT_EQ(view.SelectedNode(), view.Child(u"a"));
    EXPECT_EQ(view.text[Box::ServerName], u"edited");
    EXPECT_EQ(StoredA()[0], "db-a");
}

TEST_F(UnsavedTest, NothingChangedAsksNothing) {
    view.text[Box::ServerName] = u"srv-a";  // typed back to what was loaded
    Click(u"b");
    Click(u"a");
    view.text[Box::PassWord] = u"new";
    form->btnSaveClick();
    view.Take();
    Click(u"b");  // saved: nothing to ask
    EXPECT_TRUE(view.Take().empty());
    EXPECT_TRUE(form->FormCloseQuery());
}

TEST_F(UnsavedTest, ClickOnTheShownAliasKeepsItsTextsForTheMenusTest) {
    form->pmMenuPopup();
    EXPECT_TRUE(view.Take().empty());
    EXPECT_EQ(view.text[Box::ServerName], u"edited");
    form->pmnNewClick(3);
    ASSERT_EQ(connectionStrings.size(), 1u);
    EXPECT_NE(connectionStrings[0].find("server=edited;"), std::string::npos);
}

TEST_F(UnsavedTest, CancelledPopupOpensNoMenu) {
    view.answers = {Answer::Cancel};
    view.SelectNode(view.RootNode());
    form->pmMenuPopup();
    EXPECT_FALSE(view.menuNew || view.menuDelete || view.menuTest);
    EXPECT_EQ(view.SelectedNode(), view.Child(u"a"));
}

TEST_F(UnsavedTest, ClosingAsks) {
    view.answers = {Answer::Cancel};
    EXPECT_FALSE(form->FormCloseQuery());
    view.answers = {Answer::No};
    EXPECT_TRUE(form->FormCloseQuery());
    EXPECT_EQ(StoredA()[1], "srv-a");
    view.answers = {Answer::Yes};
    EXPECT_TRUE(form->FormCloseQuery());
    EXPECT_EQ(StoredA()[1], "edited");
}

TEST_F(UnsavedTest, DeletingTheShownAliasAsksOnlyAboutDeleting) {
    view.answers = {Answer::Yes};
    form->pmnNewClick(2);
    auto shown = view.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, u"刪除KVR別名");
    EXPECT_EQ(view.text[Box::Name], u"b");
}

TEST_F(EditorTest, TreeKeysActAsClickDeleteAndMenu) {
    Store("a", {"db-a", "srv-a", "sa", "pw-a"});
    Store("b", {"db-b", "srv-b", "sa", "pw-b"});
    Start();
    // Moving the highlight loads nothing; Enter and Space load.
    view.SelectNode(view.Child(u"a"));
    EXPECT_FALSE(form->TreeView1KeyDown(0x28, {}));  // down arrow: the tree's own
    EXPECT_EQ(view.text[Box::Name], u"");
    EXPECT_TRUE(form->TreeView1KeyDown(kKeyEnter, {}));
    EXPECT_EQ(view.text[Box::Name], u"a");
    view.SelectNode(view.Child(u"b"));
    EXPECT_TRUE(form->TreeView1KeyDown(kKeySpace, {}));
    EXPECT_EQ(BoxTexts(), (Texts{u"db-b", u"srv-b", u"sa", u"pw-b"}));

    // Shift+F10 and the menu key open the popup; F10 alone is not ours.
    EXPECT_TRUE(form->TreeView1KeyDown(kKeyF10, {.shift = true}));
    EXPECT_TRUE(form->TreeView1KeyDown(kKeyApps, {}));
    EXPECT_FALSE(form->TreeView1KeyDown(kKeyF10, {}));
    EXPECT_EQ(view.menuOpened, 2);

    // Delete on a highlighted alias shows it, then asks.
    view.text[Box::ServerName] = u"edited";
    view.SelectNode(view.Child(u"a"));
    view.answers = {Answer::No, Answer::No};  // drop the edits, keep the alias
    EXPECT_TRUE(form->TreeView1KeyDown(kKeyDelete, {}));
    auto shown = view.Take();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].buttons, Buttons::YesNoCancel);
    EXPECT_EQ(shown[1].text, u"確定刪除此KVR別名[a]?");
    EXPECT_EQ(view.text[Box::Name], u"a");
    view.answers = {Answer::Yes};
    form->TreeView1KeyDown(kKeyDelete, {});
    EXPECT_EQ(view.ChildTexts(), Texts{u"b"});
    view.Take();

    // Delete on the root does nothing.
    view.SelectNode(view.RootNode());
    form->TreeView1KeyDown(kKeyDelete, {});
    EXPECT_TRUE(view.Take().empty());
}

TEST_F(EditorTest, WindowKeysSaveAndRenameAndEscapeRestoresTheName) {
    Store("a", {"db-a", "srv-a", "sa", "pw-a"});
    Start();
    EXPECT_TRUE(form->FormKeyDown(kKeyF2, {}));
    EXPECT_EQ(view.nameFocused, 0);  // the root has no name to change
    Click(u"a");
    EXPECT_TRUE(form->FormKeyDown(kKeyF2, {}));
    EXPECT_EQ(view.nameFocused, 1);
    EXPECT_FALSE(form->FormKeyDown(kKeyS, {}));

    view.text[Box::UserName] = u"admin";
    EXPECT_TRUE(form->FormKeyDown(kKeyS, {.control = true}));
    ASSERT_EQ(view.Take().back().text, u"存檔完成!!");

    form->edNameEnter();
    view.text[Box::Name] = u"renamed";
    form->edNameKeyDown('R');
    form->edNameKeyDown(kKeyEscape);
    EXPECT_EQ(view.text[Box::Name], u"a");
    EXPECT_EQ(view.nameColour, Colour::Blue);
    form->edNameExit();
    EXPECT_TRUE(view.Take().empty());
}

}  // namespace
}  // namespace kvr::test
