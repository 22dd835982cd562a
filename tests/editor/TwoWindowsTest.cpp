// Another window or program changing KVRCFG while this window shows it.
#include "editor/EditorFixture.h"

namespace kvr::test {
namespace {

using Texts = std::vector<std::u16string>;

TEST_F(EditorTest, SaveAsksBeforeOverwritingAnotherProgramsChange) {
    Store("a", {"db", "srv", "sa", "pw"});
    Start();
    Click(u"a");
    Store("a", {"db", "srv", "other", "pw"});  // the other window saves first
    view.text[Box::DatabaseName] = u"mine";

    view.answers = {Answer::No};
    form->btnSaveClick();
    auto shown = view.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, ShownBox::Question);
    EXPECT_NE(shown[0].text.find(u"[a]"), std::u16string::npos);
    EXPECT_EQ(shown[0].icon, Icon::Warning);
    EXPECT_EQ(shown[0].defaultButton, DefaultButton::No);
    EXPECT_EQ(AliasFile(workDir).ReadAliasFields("a")[0],
              CEncrpyt().Encrypt("00:00:00 01/01/2026", "db"));

    view.answers = {Answer::Yes};
    form->btnSaveClick();
    EXPECT_EQ(view.Take().back().text, u"存檔完成!!");
    // What this window wrote is now what it knows: the next save asks nothing.
    form->btnSaveClick();
    shown = view.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, u"存檔完成!!");
    Click(u"a");
    EXPECT_EQ(BoxTexts(), (Texts{u"mine", u"srv", u"sa", u"pw"}));
}

TEST_F(EditorTest, SaveOfAliasGoneElsewhereDoesNotBringItBack) {
    Store("a", {"db", "srv", "sa", "pw"});
    Store("b", {"", "", "", ""});
    Start();
    Click(u"a");
    AliasFile(workDir).RenameAliasHeader("a", "c");  // or deleted: the header is gone
    view.text[Box::PassWord] = u"typed";
    const std::string before = FileBytes();

    // Told once that it is gone; the typed texts are offered once, and No
    // drops them.
    view.answers = {Answer::No};
    form->btnSaveClick();
    auto shown = view.Take();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].kind, ShownBox::Message);
    EXPECT_NE(shown[0].text.find(u"[a]"), std::u16string::npos);
    EXPECT_EQ(shown[1].kind, ShownBox::Question);
    EXPECT_EQ(FileBytes(), before);
    EXPECT_EQ(view.ChildTexts(), (Texts{u"b", u"c"}));
    EXPECT_FALSE(form->Modified());
}

TEST_F(EditorTest, TreeFollowsTheFileKeepingSelectionAndTypedTexts) {
    WriteBytes(FilePath(), "[a]\r\n[b]\r\n[c]\r\n[d]\r\n");
    Start();
    view.names = {u"n"};
    form->pmnNewClick(1);  // this window's own change is not repeated
    Click(u"c");
    view.text[Box::UserName] = u"typed, not saved";

    AliasFile other(workDir);
    other.DeleteAliasSection("a");
    other.RenameAliasHeader("d", "e");
    other.AddAliasHeader("f");
    form->AliasFileChanged();
    EXPECT_EQ(view.ChildTexts(), (Texts{u"b", u"c", u"n", u"e", u"f"}));
    EXPECT_EQ(view.NodeText(view.SelectedNode()), u"c");
    EXPECT_EQ(view.text[Box::UserName], u"typed, not saved");
    EXPECT_TRUE(view.Take().empty());

    // The shown alias deleted elsewhere: its node goes, the typed texts are
    // offered to be kept.
    other.DeleteAliasSection("c");
    view.answers = {Answer::No};
    form->AliasFileChanged();
    EXPECT_EQ(view.ChildTexts(), (Texts{u"b", u"n", u"e", u"f"}));
    EXPECT_EQ(view.Take().size(), 1u);
}

// Another program acts while the rename question is open: the store decides
// under its lock, and the window says what happened.
TEST_F(EditorTest, RenameMeetsChangesMadeDuringItsQuestion) {
    WriteBytes(FilePath(), "[alpha]\r\n[beta]\r\n");
    Start();
    Click(u"alpha");
    auto rename = [&](const std::u16string& to, std::function<void()> meanwhile) {
        form->edNameEnter();
        view.text[Box::Name] = to;
        view.duringAsk = std::move(meanwhile);
        form->edNameKeyDown(13);
        view.duringAsk = nullptr;
        return view.Take();
    };
    auto shown = rename(u"gamma", [&] { AliasFile(workDir).AddAliasHeader("gamma"); });
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].kind, ShownBox::Error);
    EXPECT_EQ(FileBytes(), "[alpha]\r\n[beta]\r\n[gamma]\r\n");
    EXPECT_EQ(view.text[Box::Name], u"alpha");
    EXPECT_EQ(view.ChildTexts(), (Texts{u"alpha", u"beta", u"gamma"}));

    shown = rename(u"delta", [&] { AliasFile(workDir).DeleteAliasSection("alpha"); });
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].kind, ShownBox::Message);
    EXPECT_EQ(FileBytes(), "[beta]\r\n[gamma]\r\n");
    EXPECT_EQ(view.ChildTexts(), (Texts{u"beta", u"gamma"}));
}

}  // namespace
}  // namespace kvr::test
