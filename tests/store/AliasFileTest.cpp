#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "fixtures/CodePage.h"
#include "fixtures/FailingFileSystem.h"
#include "fixtures/TempDir.h"
#include "platform/Errors.h"
#include "platform/Text.h"
#include "store/AliasFile.h"
#include "store/AliasName.h"

namespace kvr {
namespace {

using namespace std::string_literals;
using Names = std::vector<std::string>;

// A KVRCFG as the editor leaves it on a Big5 machine: 中文, Test and 許兀 (whose
// bytes B3 5C A4 61 carry a backslash and an "a" as trail bytes).
const std::string kChinese = "\xA4\xA4\xA4\xE5";
const std::string kTrail = "\xB3\x5C\xA4\x61";
const std::string kSectionChinese = "[" + kChinese +
                                    "]\r\n"
                                    "DatabaseName=2b1385788a7a83\r\n"
                                    "ServerName=2b12897b86\r\n"
                                    "UserName=2b1283798a\r\n"
                                    "PassWord=2b10\r\n";
const std::string kSectionTest =
    "[Test]\r\nDatabaseName=2b11887b\r\nServerName=2b11897b\r\nUserName=2b118a7b\r\n"
    "PassWord=2b118b7b\r\n";
const std::string kSectionTrail = "[" + kTrail + "]\r\nDatabaseName=2b11917b\r\n";
const std::string kGolden = kSectionChinese + kSectionTest + kSectionTrail;

class AliasFileTest : public testing::Test {
  protected:
    test::TempDir dir;
    test::ScopedCodePage codePage{"windows-950"};
    AliasFile file{dir.Path()};

    std::string Bytes() const { return test::ReadBytes(file.AliasFilePath()); }
    void Put(std::string_view bytes) const { test::WriteBytes(file.AliasFilePath(), bytes); }
};

TEST_F(AliasFileTest, PathIsWorkDirPlusName) {
    EXPECT_EQ(file.AliasFilePath(), dir.Path() + "KVRCFG");
}

TEST_F(AliasFileTest, MissingFileListsNothingAndIsCreated) {
    EXPECT_EQ(file.ListAliases(), Names{});
    EXPECT_TRUE(std::filesystem::is_regular_file(file.AliasFilePath()));
    EXPECT_EQ(Bytes(), "");
    EXPECT_FALSE(file.HasAliasHeader("x"));
    file.WriteAliasField("New", "DatabaseName", "2b11");
    EXPECT_EQ(Bytes(), "[New]\r\nDatabaseName=2b11\r\n");
}

TEST_F(AliasFileTest, ListsEveryBracketLine) {
    Put(kGolden);
    EXPECT_EQ(file.ListAliases(), (Names{kChinese, "Test", kTrail}));
    EXPECT_EQ(Bytes(), kGolden);

    Put("[a]x\r\n[]\nx]y[z\r[Dup]\r\n[dup]\r\nplain\r\n[open\r\n[\r\n\r\n");
    EXPECT_EQ(file.ListAliases(), (Names{"a]", "", "]y[", "Dup", "dup"}));
}

TEST_F(AliasFileTest, AddKeepsTheFileWhenTheHeaderExists) {
    const std::string bytes = "[Test]\nx\0y\n[\xA2\xCF\xA4\xA4]\r\n"s;  // [Ａ中]
    Put(bytes);
    for (const std::string& name : {"Test"s, "TEST"s, "test"s, "\xA2\xE9\xA4\xA4"s}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(file.HasAliasHeader(name));
        file.AddAliasHeader(name);
        EXPECT_EQ(Bytes(), bytes);
    }
    // Same trail bytes but other characters: a new alias.
    EXPECT_FALSE(file.HasAliasHeader("\xA2\xCF\xA4\xE4"));
}

TEST_F(AliasFileTest, AddAppendsAndKeepsOddBytes) {
    Put("[A]\nk=\0v\rjunk"s);
    file.AddAliasHeader(kChinese);
    EXPECT_EQ(Bytes(), "[A]\r\nk=\0v\r\njunk\r\n["s + kChinese + "]\r\n");
}

TEST_F(AliasFileTest, FieldsOfANewSectionFollowItsHeader) {
    Put(kSectionChinese + kSectionTest);
    file.AddAliasHeader(kTrail);
    file.WriteAliasField(kTrail, "DatabaseName", "2b11917b");
    EXPECT_EQ(Bytes(), kGolden);

    file.AddAliasHeader("Last");
    file.WriteAliasField("Test", "ServerName", "2b10");  // replaced in place
    file.WriteAliasField(kTrail, "ServerName", "2b11");  // after the last key line
    file.WriteAliasField("last", "UserName", "2b12");
    std::string expected = kSectionChinese + kSectionTest + kSectionTrail + "[Last]\r\n";
    expected.replace(expected.find("ServerName=2b11897b"), 19, "ServerName=2b10");
    expected.replace(expected.find("[Last]"), 0, "ServerName=2b11\r\n");
    expected += "UserName=2b12\r\n";
    EXPECT_EQ(Bytes(), expected);

    EXPECT_EQ(file.ReadAliasField("TEST", "servername"), "2b10");
    EXPECT_EQ(file.ReadAliasField(kChinese, "PassWord"), "2b10");
    EXPECT_EQ(file.ReadAliasField(kChinese, "Missing"), "");
    EXPECT_EQ(file.ReadAliasField("Nobody", "PassWord"), "");
}

TEST_F(AliasFileTest, FieldReadsAreCutAt2047Bytes) {
    file.WriteAliasField("A", "k", std::string(3000, 'f'));
    EXPECT_EQ(file.ReadAliasField("A", "k"), std::string(2047, 'f'));
}

struct DeleteRow {
    const char* label;
    std::string before;
    std::string name;
    std::string after;
};

TEST_F(AliasFileTest, DeleteRemovesOnlyItsOwnSection) {
    const std::vector<DeleteRow> rows = {
        {"first", kGolden, kChinese, kSectionTest + kSectionTrail},
        {"middle, other case", kGolden, "tEsT", kSectionChinese + kSectionTrail},
        {"last", kGolden, kTrail, kSectionChinese + kSectionTest},
        {"header only", "[A]\r\n[B]\r\nk=1\r\n", "a", "[B]\r\nk=1\r\n"},
        {"two keys", "[A]\r\nk=1\r\nj=2\r\n[B]\r\nk=1\r\n", "A", "[B]\r\nk=1\r\n"},
        {"six keys", "[B]\r\n[A]\r\n1=1\r\n2=2\r\n3=3\r\n4=4\r\n5=5\r\n6=6\r\n", "A", "[B]\r\n"},
        {"next header indented", "[A]\r\nk=1\r\n  [B]  \r\nk=2\r\n", "A", "  [B]  \r\nk=2\r\n"},
        {"not a header: 0x5D is a trail byte", "[A]\r\n[\xA4\x5D\r\n[B]\r\n", "A", "[B]\r\n"},
        {"not found: ends normalised", "[A]\nk=1\r[B]", "C", "[A]\r\nk=1\r\n[B]\r\n"},
        {"NUL kept", "[A]\r\nk=\0\r\n[B]\r\nj=\0x\r\n"s, "A", "[B]\r\nj=\0x\r\n"s},
        {"only the first of two", "[A]\r\nk=1\r\n[A]\r\nk=2\r\n", "A", "[A]\r\nk=2\r\n"},
        {"all gone", "[A]\r\nk=1\r\n", "A", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        Put(row.before);
        file.DeleteAliasSection(row.name);
        EXPECT_EQ(Bytes(), row.after);
    }
}

TEST_F(AliasFileTest, RenameKeepsTheKeyLines) {
    Put(kGolden);
    EXPECT_TRUE(file.RenameAliasHeader("test", "Prod"));
    std::string expected = kGolden;
    expected.replace(expected.find("[Test]"), 6, "[Prod]");
    EXPECT_EQ(Bytes(), expected);
    EXPECT_EQ(file.ReadAliasField("Prod", "UserName"), "2b118a7b");

    Put("[A]\n");
    EXPECT_FALSE(file.RenameAliasHeader("B", "C"));
    EXPECT_EQ(Bytes(), "[A]\r\n");
}

// The same operations with names given as Unicode, in both code pages.
class AliasFileCodePageTest : public testing::TestWithParam<const char*> {};

TEST_P(AliasFileCodePageTest, LooksUpNamesIgnoringCase) {
    test::TempDir dir;
    test::ScopedCodePage pin(GetParam());
    AliasFile file(dir.Path());
    const std::string upper = platform::UnicodeToAnsi(u"ΣΥΣ中Ａ").value();
    const std::string lower = platform::UnicodeToAnsi(u"συσ中ａ").value();

    EXPECT_EQ(file.ListAliases(), Names{});
    file.AddAliasHeader(upper);
    file.AddAliasHeader(lower);
    EXPECT_EQ(file.ListAliases(), Names{upper});
    EXPECT_TRUE(file.HasAliasHeader(lower));
    file.WriteAliasField(lower, "DatabaseName", "2b11");
    EXPECT_EQ(file.ReadAliasField(upper, "databasename"), "2b11");
    EXPECT_TRUE(file.RenameAliasHeader(lower, "Other"));
    EXPECT_EQ(file.ReadAliasField("other", "DatabaseName"), "2b11");
    file.DeleteAliasSection("OTHER");
    EXPECT_EQ(test::ReadBytes(file.AliasFilePath()), "");
}

INSTANTIATE_TEST_SUITE_P(CodePages, AliasFileCodePageTest, testing::Values("UTF-8", "windows-950"));

template <typename Call>
void ExpectError(Call call, const std::string& message) {
    try {
        call();
        ADD_FAILURE() << "no error, wanted " << message;
    } catch (const Error& e) {
        EXPECT_EQ(e.what(), message);
    }
}

// A line break in a name would inject lines (a second header, a password) into
// the file; the root text would make an alias the tree's root.
TEST_F(AliasFileTest, NamesThatCannotWorkAreRefusedWithNothingWritten) {
    Put(kGolden);
    for (const std::string& name :
         {"x\r\n[Test]\r\nPassWord=2b10"s, "a\nb"s, "a\rb"s, "tab\there"s, "\x01"s}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(CheckAliasName(name), NameProblem::ControlCharacter);
        EXPECT_THROW(file.AddAliasHeader(name), NameError);
        EXPECT_THROW(file.RenameAliasHeader("Test", name), NameError);
    }
    EXPECT_EQ(CheckAliasName("Kavrolis"), NameProblem::RootText);
    EXPECT_THROW(file.AddAliasHeader("Kavrolis"), NameError);
    EXPECT_THROW(file.RenameAliasHeader("Test", "Kavrolis"), NameError);
    // The profile functions trim section names: " Test" would write Test's fields.
    EXPECT_THROW(file.AddAliasHeader(" Test"), NameError);
    EXPECT_THROW(file.RenameAliasHeader("Test", "Test "), NameError);
    EXPECT_THROW(file.WriteAliasFields(" Test", AliasFields{"2b10", "2b10", "2b10", "2b10"}),
                 NameError);
    EXPECT_THROW(file.WriteAliasField("Test ", "PassWord", "2b10"), NameError);
    EXPECT_EQ(CheckAliasName(std::string(kMaxAliasNameBytes, 'n')), NameProblem::None);
    EXPECT_EQ(CheckAliasName(std::string(kMaxAliasNameBytes + 1, 'n')), NameProblem::TooLong);
    EXPECT_THROW(file.AddAliasHeader(std::string(100000, 'n')), NameError);
    EXPECT_EQ(Bytes(), kGolden);

    // Other letter cases are other names; the listing shows what a file holds.
    EXPECT_EQ(CheckAliasName("kavrolis"), NameProblem::None);
    Put("[Kavrolis]\r\n[a\tb]\r\n");
    EXPECT_EQ(file.ListAliases(), (Names{"Kavrolis", "a\tb"}));
}

TEST_F(AliasFileTest, UnreadableFileIsNeverReplaced) {
    // KVRCFG is a folder holding a file: it exists but cannot be read.
    std::filesystem::create_directory(file.AliasFilePath());
    test::WriteBytes(file.AliasFilePath() + "/inside", "keep");
    // Each error names the cause on a line of its own.
    const std::string cause =
        "\n" + file.AliasFilePath() + " is not a regular file: a folder or a device.";
    const std::string open = "Cannot open file " + file.AliasFilePath() + cause;
    ExpectError([&] { file.ListAliases(); }, open);
    ExpectError([&] { file.AddAliasHeader("A"); }, open);
    ExpectError([&] { file.DeleteAliasSection("A"); }, open);
    ExpectError([&] { file.RenameAliasHeader("A", "B"); }, open);
    ExpectError([&] { file.HasAliasHeader("A"); }, open);
    ExpectError([&] { file.WriteAliasField("A", "k", "v"); },
                "Unable to write to " + file.AliasFilePath() + cause);
    // Reads say so too: an unreadable file is no file of empty values.
    ExpectError([&] { file.ReadAliasField("A", "k"); }, open);
    ExpectError([&] { file.ReadAliasFields("A"); }, open);
    EXPECT_EQ(test::ReadBytes(file.AliasFilePath() + "/inside"), "keep");

    // The same for a file whose bytes cannot be read (an I/O error).
    test::TempDir other;
    test::WriteBytes(other.File("KVRCFG"), "[A]\nDatabaseName=2b11\n");
    test::FailingFileSystem failing(test::FailingFileSystem::Call::ReadAll);
    AliasFile broken(other.Path(), failing);
    ExpectError([&] { broken.ReadAliasFields("A"); }, "Cannot open file " + broken.AliasFilePath());
    ExpectError([&] { broken.ReadAliasField("A", "DatabaseName"); },
                "Cannot open file " + broken.AliasFilePath());
}

TEST(AliasFileErrorTest, MissingFileThatCannotBeCreated) {
    test::TempDir dir;
    AliasFile file(dir.Path() + "no-such-folder/");
    const std::string cause = "\nThe folder " + dir.Path() + "no-such-folder/ does not exist.";
    ExpectError([&] { file.ListAliases(); }, "Cannot create file " + file.AliasFilePath() + cause);
    ExpectError([&] { file.AddAliasHeader("A"); },
                "Cannot open file " + file.AliasFilePath() + cause);
}

TEST(AliasFileErrorTest, FailedRewritesLeaveTheOldFile) {
    test::TempDir dir;
    test::FailingFileSystem failing(test::FailingFileSystem::Call::CreateNew);
    AliasFile file(dir.Path(), failing);
    const std::string before = "[A]\nDatabaseName=2b11\n[B]\n";
    test::WriteBytes(file.AliasFilePath(), before);
    const std::string create = "Cannot create file " + file.AliasFilePath();

    EXPECT_EQ(file.ListAliases(), (Names{"A", "B"}));
    EXPECT_EQ(file.ReadAliasField("A", "DatabaseName"), "2b11");
    file.AddAliasHeader("a");  // present: nothing to write
    ExpectError([&] { file.AddAliasHeader("C"); }, create);
    ExpectError([&] { file.DeleteAliasSection("A"); }, create);
    ExpectError([&] { file.RenameAliasHeader("A", "C"); }, create);
    ExpectError([&] { file.WriteAliasField("A", "DatabaseName", "2b10"); },
                "Unable to write to " + file.AliasFilePath());
    EXPECT_EQ(test::ReadBytes(file.AliasFilePath()), before);
}

// A replace that fails after the old file left its name loses nothing: the
// new bytes take the name, and no temporary file is left.
TEST(AliasFileErrorTest, ReplaceFailingAfterTheMoveLosesNothing) {
    test::TempDir dir;
    test::FailingFileSystem failing(test::FailingFileSystem::Call::ReplaceAfterMove);
    AliasFile file(dir.Path(), failing);
    test::WriteBytes(file.AliasFilePath(), "[A]\r\n");
    file.WriteAliasField("A", "DatabaseName", "2b11");
    EXPECT_EQ(failing.Uses(test::FailingFileSystem::Call::ReplaceAfterMove), 1);
    EXPECT_EQ(test::ReadBytes(file.AliasFilePath()), "[A]\r\nDatabaseName=2b11\r\n");
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (Names{"KVRCFG", "KVRCFG.replaced"}));
}

}  // namespace
}  // namespace kvr
