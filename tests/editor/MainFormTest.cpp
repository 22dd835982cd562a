#include <gtest/gtest.h>

#include "editor/EditorFixture.h"
#include "platform/Errors.h"
#include "platform/FileRegistry.h"
#include "settings/PublishMachineSettings.h"

namespace kvr::test {
namespace {

using Texts = std::vector<std::u16string>;

TEST_F(EditorTest, FirstActivationOnMissingFileLeavesEmptyFileAndRootAlone) {
    Start();
    EXPECT_EQ(FileBytes(), "");
    EXPECT_TRUE(std::filesystem::exists(FilePath()));
    EXPECT_TRUE(view.ChildTexts().empty());
    EXPECT_EQ(view.SelectedNode(), view.RootNode());
    EXPECT_EQ(published, std::vector<std::string>{workDir});
    EXPECT_FALSE(view.testEnabled);
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(form->WorkDir(), workDir);
    // The window says where it works; caption and root keep their texts.
    EXPECT_EQ(view.workDirectory, u"Work directory: " + platform::Utf8ToUtf16(workDir));
    EXPECT_EQ(view.NodeText(view.RootNode()), u"Kavrolis");

    // Later activations do nothing.
    form->FormActivate();
    EXPECT_EQ(published.size(), 1u);
}

TEST_F(EditorTest, ListsAliasesInLocaleOrderUnderCollapsedRoot) {
    WriteBytes(FilePath(), "[b]\r\n[B]\r\n[A]\r\n[c]\r\n[a]\r\n");
    Start();
    EXPECT_EQ(view.ChildTexts(), (Texts{u"a", u"A", u"b", u"B", u"c"}));
    EXPECT_FALSE(view.rootExpanded);
}

TEST_F(EditorTest, SelectingAliasThenRootFillsThenEmptiesBoxes) {
    Store("alpha", {"db", "srv", "sa", "pw;1"});
    Start();
    Click(u"alpha");
    EXPECT_EQ(BoxTexts(), (Texts{u"db", u"srv", u"sa", u"pw;1"}));
    EXPECT_EQ(view.text[Box::Name], u"alpha");
    EXPECT_EQ(form->Alias(), "alpha");
    EXPECT_TRUE(view.testEnabled);

    Click(u"Kavrolis");
    EXPECT_EQ(BoxTexts(), (Texts{u"", u"", u"", u""}));
    EXPECT_EQ(view.text[Box::Name], u"");
    EXPECT_EQ(form->Alias(), "");
    EXPECT_FALSE(view.testEnabled);
}

TEST_F(EditorTest, ChildNamedLikeTheRootBehavesAsRoot) {
    Store("Kavrolis", {"db", "srv", "sa", "pw"});
    Start();
    NodeId child = view.Child(u"Kavrolis");
    ASSERT_NE(child, kNoNode);
    view.SelectNode(child);
    form->TreeView1Click();
    EXPECT_EQ(BoxTexts(), (Texts{u"", u"", u"", u""}));
    EXPECT_FALSE(view.testEnabled);
}

TEST_F(EditorTest, SaveWithRootSelectedWritesNothingAndSaysNothing) {
    WriteBytes(FilePath(), "[a]\r\n");
    Start();
    view.text[Box::DatabaseName] = u"db";
    form->btnSaveClick();
    EXPECT_EQ(FileBytes(), "[a]\r\n");
    EXPECT_TRUE(view.boxes.empty());
}

TEST_F(EditorTest, SaveWritesEncodedValuesThatReloadAndReportsDone) {
    WriteBytes(FilePath(), "[a]\r\n[b]\r\n");
    Start();
    Click(u"a");
    view.text[Box::DatabaseName] = u" Sales ";  // values are stored untrimmed
    view.text[Box::ServerName] = u"host,1433";
    view.text[Box::UserName] = u"";
    view.text[Box::PassWord] = u"p@ss";
    form->btnSaveClick();
    auto shown = view.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, ShownBox::Message);
    EXPECT_EQ(shown[0].text, u"存檔完成!!");

    // The keys stand right after their header, in order, and b is untouched.
    std::string bytes = FileBytes();
    EXPECT_EQ(bytes.find("[a]\r\nDatabaseName="), 0u);
    EXPECT_NE(bytes.find("\r\nServerName="), std::string::npos);
    EXPECT_NE(bytes.find("\r\nUserName=2b10\r\nPassWord="), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 5), "[b]\r\n");

    Click(u"b");
    Click(u"a");
    EXPECT_EQ(BoxTexts(), (Texts{u" Sales ", u"host,1433", u"", u"p@ss"}));
}

TEST_F(EditorTest, SaveOfEmptyBoxesWritesHeaderOnlyValues) {
    WriteBytes(FilePath(), "[a]\r\n");
    Start();
    Click(u"a");
    form->btnSaveClick();
    EXPECT_EQ(FileBytes(),
              "[a]\r\nDatabaseName=2b10\r\nServerName=2b10\r\nUserName=2b10\r\nPassWord=2b10\r\n");
    Click(u"a");
    EXPECT_EQ(BoxTexts(), (Texts{u"", u"", u"", u""}));
}

TEST_F(EditorTest, SaveRefusesTooLongValueBeforeWritingAnything) {
    Store("a", {"db", "srv", "sa", "pw"});
    Start();
    Click(u"a");
    const std::string before = FileBytes();
    view.text[Box::DatabaseName] = u"new";
    view.text[Box::UserName] = std::u16string(240, u'x');
    form->btnSaveClick();
    EXPECT_EQ(FileBytes(), before);
    auto shown = view.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, ShownBox::Error);
    EXPECT_NE(shown[0].text.find(u"使用者帳號"), std::u16string::npos);
    EXPECT_NE(shown[0].text.find(u"239"), std::u16string::npos);

    // 239 bytes fit.
    view.text[Box::UserName] = std::u16string(239, u'x');
    form->btnSaveClick();
    Click(u"a");
    EXPECT_EQ(view.text[Box::UserName], std::u16string(239, u'x'));
}

TEST_F(EditorTest, UndecodableValueShowsEmptyNotThePreviousAliasesValue) {
    Store("good", {"db1", "srv1", "user1", "pw1"});
    Store("bad", {"db2", "srv2", "user2", "pw2"});
    AliasFile(workDir).WriteAliasField("bad", "ServerName", "2b13zz");
    Start();
    Click(u"good");
    view.Take();
    Click(u"bad");
    EXPECT_EQ(BoxTexts(), (Texts{u"db2", u"", u"user2", u"pw2"}));
    EXPECT_EQ(form->Alias(), "bad");
    auto shown = view.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, ShownBox::Error);
    EXPECT_EQ(shown[0].text, u"'0xzz' is not a valid integer value.");
}

// A file that became unreadable (here a folder in its place) is said so, and
// no box keeps the previous alias's text for a save into the next one.
TEST_F(EditorTest, UnreadableFileIsAnErrorNotEmptyValues) {
    Store("good", {"db1", "srv1", "user1", "pw1"});
    Store("next", {"db2", "srv2", "user2", "pw2"});
    Start();
    Click(u"good");
    view.Take();
    std::filesystem::rename(FilePath(), dir.File("moved"));
    std::filesystem::create_directory(FilePath());
    Click(u"next");
    EXPECT_EQ(BoxTexts(), (Texts{u"", u"", u"", u""}));
    EXPECT_EQ(form->Alias(), "");
    auto shown = view.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, ShownBox::Error);
    EXPECT_EQ(shown[0].text,
              platform::Utf8ToUtf16("Cannot open file " + FilePath() + "\n" + FilePath() +
                                    " is not a regular file: a folder or a device."));
}

TEST_F(EditorTest, FailedFirstActivationIsShownOnceAndLeavesUsableWindow) {
    // The work directory lies below a regular file: KVRCFG can be neither
    // read nor created.
    WriteBytes(dir.File("plain"), "x");
    workDir = dir.File("plain") + "/";
    // Closing the box re-activates the window on some platforms, from inside
    // the box (once here, so that a start-up run again does not run for ever).
    int reactivations = 0;
    view.duringError = [&] {
        if (reactivations++ == 0) {
            form->FormActivate();
        }
    };
    Start();
    view.duringError = nullptr;
    EXPECT_EQ(published.size(), 1u);
    auto shown = view.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, ShownBox::Error);
    EXPECT_NE(shown[0].text.find(u"KVRCFG"), std::u16string::npos);
    EXPECT_TRUE(view.ChildTexts().empty());
    EXPECT_FALSE(form->FirstActivatePending());

    form->FormActivate();  // closing the box re-activates the window
    EXPECT_TRUE(view.Take().empty());

    // Commands report their own failures.
    view.names.push_back(u"new");
    form->pmnNewClick(1);
    shown = view.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, ShownBox::Error);
    EXPECT_TRUE(view.ChildTexts().empty());
}

// A current directory that cannot be determined names no work directory:
// nothing is published or listed, and the window says why.
TEST_F(EditorTest, UnknownWorkDirectoryPublishesAndListsNothing) {
    WriteBytes(FilePath(), "[a]\r\n");
    MainFormServices s = services;
    s.currentDirectory = []() -> std::string {
        throw FileError("Cannot determine the current directory: No such file or directory");
    };
    MainForm other(view, s);
    other.FormCreate();
    other.FormActivate();
    EXPECT_TRUE(published.empty());
    EXPECT_TRUE(view.ChildTexts().empty());
    auto shown = view.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, ShownBox::Error);
    EXPECT_NE(shown[0].text.find(u"current directory"), std::u16string::npos);
}

TEST_F(EditorTest, FailedPublicationStillListsAliases) {
    WriteBytes(FilePath(), "[a]\r\n");
    MainFormServices s;
    s.currentDirectory = [this] { return workDir; };
    s.publishSettings = [](const std::string&) {
        throw RegistryError("Invalid data type for 'x'");
    };
    MainForm other(view, s);
    other.FormCreate();
    other.FormActivate();
    EXPECT_EQ(view.ChildTexts(), Texts{u"a"});
    auto shown = view.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, u"Invalid data type for 'x'");  // "'" sorts before "."
}

// The real publication, over registries that cannot take it: the editor
// starts all the same, with its aliases listed and nothing shown.
TEST_F(EditorTest, StartsNormallyWhateverTheRegistryHolds) {
    WriteBytes(FilePath(), "[b]\r\n[a]\r\n");
    WriteBytes(dir.File("plain"), "x");
    const std::string dword =
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\"Vesk_UDP_Port\"=dword:00001f90\r\n";
    WriteBytes(dir.File("dword.reg"), dword);
    struct Row {
        const char* label;
        std::string registry;
    } rows[] = {{"parent is a file", dir.File("plain") + "/registry.reg"},
                {"port value is a DWORD", dir.File("dword.reg")}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        FakeView screen;
        MainFormServices s;
        s.currentDirectory = [this] { return workDir; };
        s.publishSettings = [&](const std::string& d) {
            PublishMachineSettings(d, platform::FileRegistry(row.registry));
        };
        MainForm editor(screen, s);
        editor.FormCreate();
        editor.FormActivate();
        EXPECT_EQ(screen.ChildTexts(), (Texts{u"a", u"b"}));
        EXPECT_TRUE(screen.boxes.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("plain") + "/registry.reg"));
    // The DWORD stays as it was; the blank ports and the work directory are added.
    const std::string after = ReadBytes(dir.File("dword.reg"));
    EXPECT_NE(after.find("\"Vesk_UDP_Port\"=dword:00001f90\r\n"), std::string::npos);
    EXPECT_EQ(platform::FileRegistry(dir.File("dword.reg"))
                  .OpenKey("SOFTWARE", platform::kKeyRead)
                  .QueryValue("KVRPath"),
              platform::StringValue(platform::RegType::Sz, workDir));
    EXPECT_NE(after.find("\"Faddokin_UDP_Port\"=\"\""), std::string::npos);
}

TEST_F(EditorTest, Big5FileHoldsCodePageBytes) {
    platform::SetAnsiCodePage("windows-950");
    const std::string big5Name = "\xB4\xFA\xB8\xD5";  // 測試
    WriteBytes(FilePath(), "[" + big5Name + "]\r\n");
    Start();
    ASSERT_EQ(view.ChildTexts(), Texts{u"測試"});
    Click(u"測試");
    view.text[Box::UserName] = u"使用者";
    form->btnSaveClick();
    EXPECT_EQ(AliasFile(workDir).ReadAliasField(big5Name, "UserName").substr(0, 4), "2b16");
    EXPECT_EQ(CEncrpyt().Decrypt(AliasFile(workDir).ReadAliasField(big5Name, "UserName")),
              "\xA8\xCF\xA5\xCE\xAA\xCC");
    Click(u"測試");
    EXPECT_EQ(view.text[Box::UserName], u"使用者");
}

TEST_F(EditorTest, FieldBoxesTurnAquaWhileFocused) {
    form->edDatabaseNameEnter(Box::PassWord);
    EXPECT_EQ(view.background[Box::PassWord], Colour::Aqua);
    form->edDatabaseNameExit(Box::PassWord);
    EXPECT_EQ(view.background[Box::PassWord], Colour::Window);
}

TEST(ErrorBoxText, AddsFullStopOnlyAfterCharactersSortingAfterIt) {
    EXPECT_EQ(ErrorBoxText(u"Cannot open file x"), u"Cannot open file x.");
    EXPECT_EQ(ErrorBoxText(u"done."), u"done.");
    EXPECT_EQ(ErrorBoxText(u"bounds (3)"), u"bounds (3)");  // ')' sorts before '.'
    EXPECT_EQ(ErrorBoxText(u"what!"), u"what!");
    EXPECT_EQ(ErrorBoxText(u"Cannot open file x\n資料夾 x 不存在。"),
              u"Cannot open file x\n資料夾 x 不存在。");
    EXPECT_EQ(ErrorBoxText(u""), u"");
}

}  // namespace
}  // namespace kvr::test
