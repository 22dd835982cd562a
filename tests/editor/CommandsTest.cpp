#include <gtest/gtest.h>

#include "editor/EditorFixture.h"

namespace kvr::test {
namespace {

using Texts = std::vector<std::u16string>;
constexpr int kNew = 1, kDelete = 2, kTest = 3;

TEST_F(EditorTest, PopupShowsNewOnRootAndDeleteTestOnAlias) {
    Store("a", {"db", "srv", "sa", "pw"});
    Start();
    view.SelectNode(view.RootNode());
    form->pmMenuPopup();
    EXPECT_TRUE(view.menuNew);
    EXPECT_FALSE(view.menuDelete);
    EXPECT_FALSE(view.menuTest);

    // The popup loads the node the right click selected.
    view.SelectNode(view.Child(u"a"));
    form->pmMenuPopup();
    EXPECT_FALSE(view.menuNew);
    EXPECT_TRUE(view.menuDelete);
    EXPECT_TRUE(view.menuTest);
    EXPECT_EQ(BoxTexts(), (Texts{u"db", u"srv", u"sa", u"pw"}));
}

TEST_F(EditorTest, NewAddsTrimmedNameAtEndUnsortedAndExpandsRoot) {
    WriteBytes(FilePath(), "[m]\r\n");
    Start();
    view.names.push_back(u"  b  ");
    form->pmnNewClick(kNew);
    view.names.push_back(u"a");
    form->pmnNewClick(kNew);
    EXPECT_EQ(view.ChildTexts(), (Texts{u"m", u"b", u"a"}));
    EXPECT_TRUE(view.rootExpanded);
    EXPECT_EQ(FileBytes(), "[m]\r\n[b]\r\n[a]\r\n");
}

TEST_F(EditorTest, NewIsCancelledByBlankNameOrEscape) {
    Start();
    view.names.push_back(u" \t ");
    form->pmnNewClick(kNew);
    view.names.push_back(std::nullopt);  // Escape or the window manager
    form->pmnNewClick(kNew);
    EXPECT_TRUE(view.ChildTexts().empty());
    EXPECT_EQ(FileBytes(), "");
    EXPECT_TRUE(view.boxes.empty());
}

TEST_F(EditorTest, NewWithExistingNameSelectsTheExistingNode) {
    Store("Sales", {"db", "srv", "sa", "pw"});
    Start();
    const std::string before = FileBytes();
    view.names.push_back(u"SALES");
    form->pmnNewClick(kNew);
    EXPECT_EQ(view.ChildTexts(), Texts{u"Sales"});
    EXPECT_EQ(FileBytes(), before);
    EXPECT_EQ(view.SelectedNode(), view.Child(u"Sales"));
    EXPECT_EQ(BoxTexts(), (Texts{u"db", u"srv", u"sa", u"pw"}));
    EXPECT_TRUE(view.rootExpanded);
}

TEST_F(EditorTest, DeleteAsksAndRemovesSectionAndNode) {
    Store("a", {"1", "2", "3", "4"});
    Store("b", {"5", "6", "7", "8"});
    Store("c", {"9", "10", "11", "12"});
    Start();
    Click(u"b");

    view.answers.push_back(Answer::No);
    form->pmnNewClick(kDelete);
    auto shown = view.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, u"確定刪除此KVR別名[b]?");
    EXPECT_EQ(shown[0].caption, u"刪除KVR別名");
    EXPECT_EQ(shown[0].icon, Icon::Warning);
    EXPECT_EQ(shown[0].defaultButton, DefaultButton::No);
    EXPECT_EQ(view.ChildTexts(), (Texts{u"a", u"b", u"c"}));

    view.answers.push_back(Answer::Yes);
    form->pmnNewClick(kDelete);
    EXPECT_EQ(view.ChildTexts(), (Texts{u"a", u"c"}));
    EXPECT_EQ(AliasFile(workDir).ListAliases(), (std::vector<std::string>{"a", "c"}));
    // The boxes follow the node the tree selected next.
    EXPECT_EQ(view.text[Box::Name], u"c");
    EXPECT_EQ(BoxTexts(), (Texts{u"9", u"10", u"11", u"12"}));
}

TEST_F(EditorTest, DeleteOfRootChangesNothing) {
    WriteBytes(FilePath(), "[Kavrolis]\r\n[a]\r\n");
    Start();
    view.SelectNode(view.RootNode());
    form->pmnNewClick(kDelete);
    EXPECT_EQ(FileBytes(), "[Kavrolis]\r\n[a]\r\n");
    EXPECT_EQ(view.ChildTexts(), (Texts{u"a", u"Kavrolis"}));
}

TEST_F(EditorTest, TestRunsOffTheWindowWithButtonDisabledAndReports) {
    Store("a", {"Sales", "db1,1433", "sa", "pw"});
    Start();
    Click(u"a");
    view.text[Box::PassWord] = u"x;database=other";  // unsaved text is what counts
    bool disabledDuringWork = false;
    view.duringWork = [&] { disabledDuringWork = !view.testEnabled; };

    outcome = {false, "Login failed for user 'sa'.", FailureReason::LoginRefused};
    form->btnTestClick();
    EXPECT_TRUE(disabledDuringWork);
    EXPECT_TRUE(view.testEnabled);
    ASSERT_EQ(connectionStrings.size(), 1u);
    EXPECT_EQ(connectionStrings[0],
              BuildConnectionString("db1,1433", "sa", "x;database=other", "Sales"));
    auto shown = view.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, ShownBox::MessageWithDetails);
    EXPECT_EQ(shown[0].text, u"連線失敗!!");
    // The cause in our words above the driver's own text.
    EXPECT_EQ(shown[0].details.find(u"The server refused the login."), 0u);
    EXPECT_NE(shown[0].details.find(u"\n\nLogin failed for user 'sa'."), std::u16string::npos);

    outcome = {true, ""};
    form->pmnNewClick(kTest);
    shown = view.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, ShownBox::Message);
    EXPECT_EQ(shown[0].text, u"連線成功!!");
    EXPECT_EQ(view.workRuns, 2);

    // Not on the root.
    Click(u"Kavrolis");
    form->pmnNewClick(kTest);
    EXPECT_EQ(view.workRuns, 2);
}

// ---- rename box ----

class RenameTest : public EditorTest {
  protected:
    void SetUp() override {
        Store("alpha", {"db", "srv", "sa", "pw"});
        Store("beta", {"db2", "srv2", "sa2", "pw2"});
        Start();
        Click(u"alpha");
        form->edNameEnter();
    }
    void Type(const std::u16string& text) {
        view.text[Box::Name] = text;
        form->edNameKeyDown('X');
    }
    void Enter() { form->edNameKeyDown(13); }
    std::vector<ShownBox> Questions() {
        std::vector<ShownBox> q;
        for (auto& b : view.Take()) {
            if (b.kind == ShownBox::Question) {
                q.push_back(b);
            }
        }
        return q;
    }
};

TEST_F(RenameTest, EnterAsksOnceAndRenamesHeaderNodeAndSaves) {
    Type(u"alpha2");
    EXPECT_EQ(view.nameColour, Colour::Red);
    Enter();
    form->edNameExit();  // focus leaves later: no second question
    auto q = Questions();
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(q[0].text, u"是否將KVR別名alpha更改為alpha2？");
    EXPECT_EQ(q[0].caption, u"訊息！注意！注意！");
    EXPECT_EQ(q[0].icon, Icon::None);
    EXPECT_EQ(q[0].defaultButton, DefaultButton::Yes);
    EXPECT_EQ(view.nameColour, Colour::Blue);
    EXPECT_EQ(view.ChildTexts(), (Texts{u"alpha2", u"beta"}));
    EXPECT_EQ(form->OldName(), "alpha2");

    // The values stay under the renamed header, and saving goes there too.
    AliasFile file(workDir);
    EXPECT_EQ(CEncrpyt().Decrypt(file.ReadAliasField("alpha2", "UserName")), "sa");
    EXPECT_EQ(form->Alias(), "alpha2");
    view.text[Box::UserName] = u"admin";
    form->btnSaveClick();
    EXPECT_EQ(file.ListAliases(), (std::vector<std::string>{"alpha2", "beta"}));
    EXPECT_EQ(CEncrpyt().Decrypt(file.ReadAliasField("alpha2", "UserName")), "admin");
}

TEST_F(RenameTest, NoPutsOldNameBackInBlue) {
    Type(u"gamma");
    view.answers.push_back(Answer::No);
    Enter();
    EXPECT_EQ(Questions().size(), 1u);
    EXPECT_EQ(view.text[Box::Name], u"alpha");
    EXPECT_EQ(view.nameColour, Colour::Blue);
    EXPECT_EQ(AliasFile(workDir).ListAliases(), (std::vector<std::string>{"alpha", "beta"}));
    form->edNameExit();
    EXPECT_TRUE(Questions().empty());
}

TEST_F(RenameTest, BlanksAroundUnchangedNameAskNothing) {
    Type(u"  alpha ");
    Enter();
    form->edNameExit();
    EXPECT_TRUE(Questions().empty());
    EXPECT_EQ(view.nameColour, Colour::Red);  // stays red: nothing was confirmed
}

TEST_F(RenameTest, FocusLeavingWhileAskingDoesNotAskAgain) {
    Type(u"delta");
    int asked = 0;
    view.duringAsk = [&] {
        ++asked;
        form->edNameExit();  // the box takes the focus from the name box
        form->edNameEnter();
    };
    form->edNameExit();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(view.ChildTexts(), (Texts{u"delta", u"beta"}));
}

TEST_F(RenameTest, RenameOntoAnotherAliasIsRefused) {
    const std::string before = FileBytes();
    Type(u"BETA");
    Enter();
    auto shown = view.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, ShownBox::Error);
    // The alias is named as stored, not as typed.
    EXPECT_NE(shown[0].text.find(u"[beta]"), std::u16string::npos);
    EXPECT_EQ(shown[0].text.find(u"BETA"), std::u16string::npos);
    EXPECT_EQ(FileBytes(), before);
    EXPECT_EQ(view.ChildTexts(), (Texts{u"alpha", u"beta"}));
    EXPECT_EQ(view.text[Box::Name], u"alpha");
}

TEST_F(RenameTest, ChangeOfLetterCaseIsARename) {
    Type(u"ALPHA");
    Enter();
    EXPECT_EQ(Questions().size(), 1u);
    EXPECT_EQ(AliasFile(workDir).ListAliases(), (std::vector<std::string>{"ALPHA", "beta"}));
}

TEST_F(RenameTest, RootHasNothingToRename) {
    WriteBytes(FilePath(), "[]\r\n" + FileBytes());
    Click(u"Kavrolis");
    form->edNameEnter();
    Type(u"newname");
    Enter();
    EXPECT_TRUE(Questions().empty());
    EXPECT_EQ(view.text[Box::Name], u"");
    EXPECT_EQ(view.NodeText(view.RootNode()), u"Kavrolis");
    EXPECT_EQ(FileBytes().substr(0, 4), "[]\r\n");
}

TEST_F(RenameTest, RenameFollowsTheShownAliasNotTheKeyboardSelection) {
    // Arrow keys move the selection without loading: the box still shows alpha.
    view.SelectNode(view.Child(u"beta"));
    Type(u"omega");
    Enter();
    EXPECT_EQ(view.ChildTexts(), (Texts{u"omega", u"beta"}));
    EXPECT_EQ(AliasFile(workDir).ListAliases(), (std::vector<std::string>{"omega", "beta"}));
}

}  // namespace
}  // namespace kvr::test
