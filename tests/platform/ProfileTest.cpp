#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixtures/CodePage.h"
#include "platform/Profile.h"
#include "platform/Text.h"

namespace kvr::platform {
namespace {

using namespace std::string_literals;
using test::ScopedCodePage;

struct ReadRow {
    const char* label;
    std::string file;
    const char* section;
    const char* key;
    std::optional<std::string> value;
};

TEST(ProfileTest, ReadsValues) {
    const std::vector<ReadRow> rows = {
        {"plain", "[A]\r\nk=v\r\n", "A", "k", "v"},
        {"letter case", "[Alias]\r\nDatabaseName=1f\r\n", "aLIAS", "DATABASENAME", "1f"},
        {"blanks", "  [ A ]  \r\n  k  =  v w  \r\n", "A", "k", "v w"},
        {"single quotes", "[A]\nq='x'\n", "A", "q", "x"},
        {"unmatched quotes", "[A]\nr=\"y'\n", "A", "r", "\"y'"},
        {"lf", "[A]\nk=v\n", "A", "k", "v"},
        {"cr", "[A]\rk=v\r", "A", "k", "v"},
        {"no final end", "[A]\r\nk=v", "A", "k", "v"},
        {"value holds =", "[A]\r\nk=a=b\r\n", "A", "k", "a=b"},
        {"other section", "[A]\r\nk=1\r\n[B]\r\nk=2\r\n", "B", "k", "2"},
        {"first section only", "[A]\r\nx=1\r\n[a]\r\nk=2\r\n", "A", "k", std::nullopt},
        {"first key wins", "[A]\r\nk=1\r\nK=2\r\n", "A", "k", "1"},
        {"no such section", "[A]\r\nk=1\r\n", "B", "k", std::nullopt},
        {"key before any section", "k=1\r\n[A]\r\n", "A", "k", std::nullopt},
        {"line without =", "[A]\r\nk\r\n", "A", "k", std::nullopt},
        {"empty file", "", "A", "k", std::nullopt},
        {"text after ]", "[A] ; note\r\nk=1\r\n", "A", "k", "1"},
        {"nul in another line", "[A]\r\nx=\0\r\nk=1\r\n"s, "A", "k", "1"},
    };
    ScopedCodePage pin("UTF-8");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        auto value = ReadProfileValue(row.file, row.section, row.key);
        ASSERT_EQ(value.has_value(), row.value.has_value());
        if (value) {
            EXPECT_EQ(std::string(*value), *row.value);
        }
    }
}

TEST(ProfileTest, SectionHeaderLines) {
    ScopedCodePage pin("windows-950");
    EXPECT_EQ(ProfileSectionName("[abc]"), "abc");
    EXPECT_EQ(ProfileSectionName("  [ abc ]  "), "abc");
    EXPECT_EQ(ProfileSectionName("[a]b]"), "a]b");
    EXPECT_EQ(ProfileSectionName("[]"), "");
    EXPECT_EQ(ProfileSectionName("[\xA4\x5D]"), "\xA4\x5D");
    EXPECT_FALSE(ProfileSectionName("[\xA4\x5D"));  // the ] is half of a character
    EXPECT_FALSE(ProfileSectionName("[abc"));
    EXPECT_FALSE(ProfileSectionName("k=[a]"));
    EXPECT_FALSE(ProfileSectionName(""));
}

struct WriteRow {
    const char* label;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

TEST(ProfileTest, WritesInPlace) {
    const std::vector<WriteRow> rows = {
        {"empty file", "", "A", "k", "v", "[A]\r\nk=v\r\n"},
        {"replace keeps its line", "[A]\r\na=1\r\nk=2\r\nb=3\r\n", "A", "K", "9",
         "[A]\r\na=1\r\nk=9\r\nb=3\r\n"},
        {"replace keeps other line ends", "[A]\na=1\nk=2\nb=3", "A", "k", "9",
         "[A]\na=1\nk=9\r\nb=3"},
        {"new key after last key line", "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n", "a", "c", "3",
         "[A]\r\na=1\r\nc=3\r\n\r\n[B]\r\nb=2\r\n"},
        {"new key right after header", "[A]\r\n[B]\r\n", "A", "k", "v", "[A]\r\nk=v\r\n[B]\r\n"},
        {"keys in order written", "[A]\r\nDatabaseName=1\r\n[B]\r\n", "A", "ServerName", "2",
         "[A]\r\nDatabaseName=1\r\nServerName=2\r\n[B]\r\n"},
        {"new key after unended line", "[A]\r\na=1", "A", "k", "v", "[A]\r\na=1\r\nk=v\r\n"},
        {"new section at end", "[A]\r\na=1\r\n", "B", "k", "v", "[A]\r\na=1\r\n[B]\r\nk=v\r\n"},
        {"new section after unended line", "[A]\r\na=1", "B", "k", "v",
         "[A]\r\na=1\r\n[B]\r\nk=v\r\n"},
        {"unknown lines kept", "junk\0x\r\n[A]\r\n; note\r\nk=1\r\n"s, "A", "k", "2",
         "junk\0x\r\n[A]\r\n; note\r\nk=2\r\n"s},
        {"first section of a name", "[A]\r\nx=1\r\n[A]\r\nk=1\r\n", "A", "k", "2",
         "[A]\r\nx=1\r\nk=2\r\n[A]\r\nk=1\r\n"},
        {"blank names trimmed", "", " A ", " k ", "v", "[A]\r\nk=v\r\n"},
    };
    ScopedCodePage pin("UTF-8");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        auto after = WriteProfileValue(row.before, row.section, row.key, row.value);
        ASSERT_TRUE(after);
        EXPECT_EQ(*after, row.after);
        EXPECT_EQ(ReadProfileValue(*after, row.section, row.key), Trim(row.value));
    }
}

TEST(ProfileTest, RefusesWhatCannotBeOneLine) {
    EXPECT_FALSE(WriteProfileValue("", "A", "k", "1\r\n[B]"));
    EXPECT_FALSE(WriteProfileValue("", "A\nB", "k", "1"));
    EXPECT_FALSE(WriteProfileValue("", "A", "k\rj", "1"));
    EXPECT_FALSE(WriteProfileValue("", "A", "a=b", "1"));
    EXPECT_FALSE(WriteProfileValue("", "A", "[x", "]"));
}

TEST(ProfileTest, Big5SectionNamesMatchIgnoringCase) {
    ScopedCodePage pin("windows-950");
    // [Ａ中] written, [ａ中] read and replaced: fullwidth letters fold too.
    const std::string upper = "\xA2\xCF\xA4\xA4";
    const std::string lower = "\xA2\xE9\xA4\xA4";
    auto file = WriteProfileValue("", upper, "UserName", "2c");
    ASSERT_TRUE(file);
    EXPECT_EQ(ReadProfileValue(*file, lower, "username"), "2c");
    file = WriteProfileValue(*file, lower, "USERNAME", "3d");
    EXPECT_EQ(*file, "[" + upper + "]\r\nUserName=3d\r\n");
}

}  // namespace
}  // namespace kvr::platform
