// The code page at the window's edge: text it cannot hold is refused, bytes it
// cannot read are kept, and the machine's setting beats the locale.
#include <gtest/gtest.h>

#include <cstdio>

#include "editor/EditorFixture.h"
#include "platform/FileRegistry.h"
#include "platform/MachineCodePage.h"

namespace kvr::test {
namespace {

using namespace std::string_literals;
using Texts = std::vector<std::u16string>;
constexpr int kNew = 1;

// 測試 and 使用者 in Big5, 資料庫一 in UTF-8.
const std::string kBig5Name = "\xB4\xFA\xB8\xD5";
const std::string kBig5Value = "\xA8\xCF\xA5\xCE\xAA\xCC";
const std::string kUtf8Value = "\xE8\xB3\x87\xE6\x96\x99\xE5\xBA\xAB\xE4\xB8\x80";

std::u16string ErrorsShown(FakeView& view) {
    std::u16string all;
    for (const ShownBox& box : view.Take()) {
        if (box.kind == ShownBox::Error) {
            all += box.text + u"\n";
        }
    }
    return all;
}

bool Contains(const std::u16string& text, const std::u16string& part) {
    return text.find(part) != std::u16string::npos;
}

// A file in one code page read under a locale of another: with the machine's
// code page set, a save without changes leaves every byte where it was.
TEST_F(EditorTest, MachineCodePageKeepsTheFileWhateverTheLocale) {
    struct Row {
        const char* locale;  // the code page the user's locale would give
        const char* acp;
        std::string name;
        std::string value;
        std::u16string shown;
    };
    const Row rows[] = {
        {"UTF-8", "950", kBig5Name, kBig5Value, u"使用者"},
        {"windows-950", "65001", "\xE6\xB8\xAC\xE8\xA9\xA6", kUtf8Value, u"資料庫一"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.acp);
        TempDir machine;
        WriteBytes(machine.File("registry.reg"),
                   "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Nls\\"
                   "CodePage]\r\n\"ACP\"=\"" +
                       std::string(row.acp) + "\"\r\n");
        platform::SetAnsiCodePage(row.locale);
        ASSERT_EQ(
            platform::UseMachineCodePage(platform::FileRegistry(machine.File("registry.reg"))),
            platform::MachineCodePage::InForce);
        std::remove(FilePath().c_str());
        Store(row.name, {row.value, "srv", "sa", row.value});
        const std::string before = FileBytes();

        Restart();
        Start();
        ASSERT_EQ(view.ChildTexts(), Texts{u"測試"});
        Click(u"測試");
        EXPECT_EQ(view.text[Box::DatabaseName], row.shown);
        form->btnSaveClick();
        EXPECT_EQ(FileBytes(), before);
        EXPECT_TRUE(ErrorsShown(view).empty());
    }
}

// Under Big5, characters outside it are refused in every box, naming the box
// (or the name) and the character; nothing is written, nothing added.
TEST_F(EditorTest, TextTheCodePageCannotHoldIsRefusedEverywhere) {
    platform::SetAnsiCodePage("windows-950");
    Store("a", {"db", "srv", "sa", "pw"});
    Start();
    Click(u"a");
    const std::string before = FileBytes();

    view.text[Box::DatabaseName] = u"資料";
    view.text[Box::UserName] = u"数据库";
    form->btnSaveClick();
    std::u16string errors = ErrorsShown(view);
    EXPECT_TRUE(Contains(errors, u"使用者帳號")) << platform::Utf16ToUtf8(errors);
    EXPECT_TRUE(Contains(errors, u"\"数\""));
    EXPECT_EQ(FileBytes(), before);

    view.names.push_back(u"库据");
    Click(u"Kavrolis");
    form->pmnNewClick(kNew);
    errors = ErrorsShown(view);
    EXPECT_TRUE(Contains(errors, u"[库据]") && Contains(errors, u"\"库\""));
    EXPECT_EQ(view.ChildTexts(), Texts{u"a"});

    Click(u"a");
    form->edNameEnter();
    view.text[Box::Name] = u"café";
    form->edNameKeyDown(13);
    errors = ErrorsShown(view);
    EXPECT_TRUE(Contains(errors, u"[café]") && Contains(errors, u"\"é\""));
    EXPECT_EQ(view.text[Box::Name], u"a");
    EXPECT_EQ(view.ChildTexts(), Texts{u"a"});
    EXPECT_EQ(FileBytes(), before);
}

// Line breaks and the root's text cannot be alias names: refused on add and
// rename, with nothing written.
TEST_F(EditorTest, NamesThatCannotWorkAreRefused) {
    Store("a", {"db", "srv", "sa", "pw"});
    Start();
    const std::string before = FileBytes();
    for (const std::u16string& name : {u"x\r\n[a]\r\nPassWord=2b10"s, u"Kavrolis"s}) {
        view.names.push_back(name);
        Click(u"Kavrolis");
        form->pmnNewClick(kNew);
        EXPECT_FALSE(ErrorsShown(view).empty());

        Click(u"a");
        form->edNameEnter();
        view.text[Box::Name] = name;
        form->edNameKeyDown(13);
        EXPECT_FALSE(ErrorsShown(view).empty());
        EXPECT_EQ(view.ChildTexts(), Texts{u"a"});
        EXPECT_EQ(FileBytes(), before);
    }
}

// A name and values in bytes the code page cannot read: shown with
// replacement marks and one warning, and still saved, renamed and deleted
// through their own bytes.
TEST_F(EditorTest, BytesTheCodePageCannotReadAreKept) {
    Store(kBig5Name, {kBig5Value, "srv", "sa", kBig5Value});
    Store("b", {"db", "srv", "sa", "pw"});
    Start();
    const std::u16string shownName = platform::AnsiToUnicode(kBig5Name);
    ASSERT_NE(shownName.find(u'\uFFFD'), std::u16string::npos);
    Click(shownName);
    auto shown = view.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, ShownBox::Message);
    EXPECT_TRUE(Contains(shown[0].text, u"cannot be shown"));
    Click(u"b");
    Click(shownName);
    EXPECT_TRUE(view.Take().empty());  // told once for that alias

    // Unchanged boxes keep their bytes; a changed one is written as typed.
    const std::string before = FileBytes();
    form->btnSaveClick();
    EXPECT_EQ(FileBytes(), before);
    // A changed box keeping the marks would write them in place of the bytes.
    const std::u16string shownValue = view.text[Box::DatabaseName];
    view.text[Box::DatabaseName] += u"x";
    form->btnSaveClick();
    EXPECT_TRUE(Contains(ErrorsShown(view), u"U+FFFD"));
    EXPECT_EQ(FileBytes(), before);
    view.text[Box::DatabaseName] = shownValue;
    view.text[Box::ServerName] = u"host";
    form->btnSaveClick();
    AliasFile file(workDir);
    EXPECT_EQ(CEncrpyt().Decrypt(file.ReadAliasField(kBig5Name, "ServerName")), "host");
    EXPECT_EQ(CEncrpyt().Decrypt(file.ReadAliasField(kBig5Name, "PassWord")), kBig5Value);

    form->edNameEnter();
    view.text[Box::Name] = u"renamed";
    form->edNameKeyDown(13);
    EXPECT_EQ(file.ListAliases(), (std::vector<std::string>{"renamed", "b"}));
    EXPECT_EQ(CEncrpyt().Decrypt(file.ReadAliasField("renamed", "PassWord")), kBig5Value);

    Store(kBig5Name + "x", {"1", "2", "3", "4"});
    Restart();
    Start();
    Click(platform::AnsiToUnicode(kBig5Name + "x"));
    view.answers.push_back(Answer::Yes);
    form->pmnNewClick(2);
    EXPECT_EQ(file.ListAliases(), (std::vector<std::string>{"renamed", "b"}));
}

}  // namespace
}  // namespace kvr::test
