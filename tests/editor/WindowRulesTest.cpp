// The rules both windows share: when a refresh from disk may run, what a menu
// command serves, what happens to the shown alias when another program takes
// it away, when the window may close, and what the first activation reports.
#include "editor/EditorFixture.h"

namespace kvr::test {
namespace {

using Texts = std::vector<std::u16string>;

bool Says(const ShownBox& box, std::u16string_view part) {
    return box.text.find(part) != std::u16string::npos;
}

TEST_F(EditorTest, RefreshWaitsForQuestionsMenuAndTestThenRunsOnce) {
    WriteBytes(FilePath(), "[a]\r\n[b]\r\n");
    form->AliasFileChanged();  // before the list is there: nothing
    Start();
    Click(u"a");
    // Changes seen while the delete question is open wait for its end.
    view.duringAsk = [&] {
        AliasFile(workDir).AddAliasHeader("c");
        form->AliasFileChanged();
        EXPECT_EQ(view.ChildTexts(), (Texts{u"a", u"b"}));
    };
    view.answers = {Answer::No};
    form->pmnNewClick(2);
    view.duringAsk = nullptr;
    EXPECT_EQ(view.ChildTexts(), (Texts{u"a", u"b", u"c"}));

    // ... and for a connection test, and for the popup menu.
    view.duringWork = [&] {
        AliasFile(workDir).AddAliasHeader("d");
        form->AliasFileChanged();
        EXPECT_FALSE(form->MayRefresh());
        EXPECT_FALSE(form->FormCloseQuery());  // no closing during a test
    };
    form->btnTestClick();
    view.duringWork = nullptr;
    EXPECT_EQ(view.ChildTexts(), (Texts{u"a", u"b", u"c", u"d"}));
    form->pmMenuPopup();
    AliasFile(workDir).AddAliasHeader("e");
    form->AliasFileChanged();
    EXPECT_EQ(view.ChildTexts().size(), 4u);
    form->pmMenuClosed();
    EXPECT_EQ(view.ChildTexts(), (Texts{u"a", u"b", u"c", u"d", u"e"}));
    EXPECT_TRUE(form->FormCloseQuery());
}

TEST_F(EditorTest, MenuCommandServesTheNodeItWasOpenedForOrNothing) {
    WriteBytes(FilePath(), "[a]\r\n[b]\r\n[c]\r\n");
    Start();
    Click(u"b");
    form->pmMenuPopup();
    // Another program renames b while the menu is open: the test serves nothing.
    AliasFile(workDir).RenameAliasHeader("b", "x");
    form->AliasFileChanged();
    form->pmnNewClick(3);
    EXPECT_TRUE(connectionStrings.empty());
    EXPECT_EQ(view.ChildTexts(), (Texts{u"a", u"c", u"x"}));

    // The menu opened for c; a refresh moves the selection; delete takes c.
    Click(u"c");
    view.Take();
    form->pmMenuPopup();
    AliasFile(workDir).DeleteAliasSection("a");
    form->AliasFileChanged();
    view.answers = {Answer::Yes};
    form->pmnNewClick(2);
    EXPECT_EQ(view.ChildTexts(), (Texts{u"x"}));
    EXPECT_EQ(FileBytes(), "[x]\r\n");
}

TEST_F(EditorTest, ShownAliasGoneElsewhereIsToldOnceAndTypedTextsOfferedOnce) {
    Store("a", {"db", "srv", "sa", "pw"});
    Store("b", {"db2", "", "", ""});
    Start();

    // Renamed, nothing typed: told once with the new name; the boxes follow.
    Click(u"a");
    view.Take();
    AliasFile(workDir).RenameAliasHeader("a", "c");
    form->AliasFileChanged();
    auto shown = view.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, ShownBox::Message);
    EXPECT_TRUE(Says(shown[0], u"[a] to [c]"));
    EXPECT_EQ(view.NodeText(view.SelectedNode()), u"c");
    EXPECT_EQ(view.text[Box::Name], u"c");
    EXPECT_EQ(BoxTexts(), (Texts{u"db", u"srv", u"sa", u"pw"}));

    // Deleted with typed texts, No: one question, the texts dropped, no loop.
    view.text[Box::UserName] = u"typed";
    AliasFile(workDir).DeleteAliasSection("c");
    view.answers = {Answer::No};
    form->AliasFileChanged();
    shown = view.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, ShownBox::Question);
    EXPECT_TRUE(Says(shown[0], u"deleted alias [c]"));
    EXPECT_FALSE(form->Modified());
    Click(u"b");
    EXPECT_TRUE(view.Take().empty());

    // Deleted with typed texts, Yes: the alias is written again as typed.
    view.text[Box::ServerName] = u"typed";
    AliasFile(workDir).DeleteAliasSection("b");
    view.answers = {Answer::Yes};
    form->AliasFileChanged();
    shown = view.Take();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].text, u"存檔完成!!");
    EXPECT_EQ(view.ChildTexts(), (Texts{u"b"}));
    EXPECT_EQ(CEncrpyt().Decrypt(AliasFile(workDir).ReadAliasFields("b")[1]), "typed");
    EXPECT_FALSE(form->Modified());
}

TEST_F(EditorTest, RefusedPublicationIsShownOnceAtFirstActivation) {
    services.publishedWorkDir = [] { return std::optional<std::string>("/elsewhere/"); };
    form = std::make_unique<MainForm>(view, services);
    Start();
    form->FormActivate();
    auto shown = view.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, ShownBox::Error);
    EXPECT_TRUE(Says(shown[0], u"KVRPath"));

    Restart();
    services.publishedWorkDir = [this] { return std::optional<std::string>(workDir); };
    form = std::make_unique<MainForm>(view, services);
    Start();
    EXPECT_TRUE(view.Take().empty());
}

}  // namespace
}  // namespace kvr::test
