#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "fixtures/CodePage.h"
#include "platform/Text.h"

namespace kvr::platform {
namespace {

using test::ScopedCodePage;
using test::ScopedCollationLocale;

// 中文 in Big5 and in UTF-8.
const std::string kBig5Chinese = "\xA4\xA4\xA4\xE5";
const std::string kUtf8Chinese = "\xE4\xB8\xAD\xE6\x96\x87";

TEST(TextTest, ConvertsBig5AndUtf8BothWays) {
    {
        ScopedCodePage pin("windows-950");
        EXPECT_EQ(AnsiToUnicode(kBig5Chinese), u"中文");
        EXPECT_EQ(UnicodeToAnsi(u"中文"), kBig5Chinese);
    }
    {
        ScopedCodePage pin("UTF-8");
        EXPECT_EQ(AnsiToUnicode(kUtf8Chinese), u"中文");
        EXPECT_EQ(UnicodeToAnsi(u"中文"), kUtf8Chinese);
        EXPECT_EQ(AnsiToUnicode("a\xFF"), u"a\uFFFD");
    }
    EXPECT_EQ(Utf16ToUtf8(u"中文"), kUtf8Chinese);
    EXPECT_EQ(Utf8ToUtf16(kUtf8Chinese), u"中文");
}

struct LossRow {
    const char* codePage;
    std::u16string text;
    std::size_t unstorable;  // index of the first character the code page lacks
};

// Text the code page cannot hold is reported where it starts, never replaced
// by '?' or a look-alike.
TEST(TextTest, ConversionReportsTheFirstCharacterItCannotStore) {
    const std::vector<LossRow> rows = {
        {"windows-950", u"中文", kAllStorable},
        {"windows-950", u"数据库", 0},         // simplified forms are not Big5
        {"windows-950", u"ab\U0001F600c", 2},  // both halves of the pair
        {"windows-950", u"résumé", 1},         // é has no Big5 code, not even "e"
        {"windows-950", u"x\uFFFD", 1},
        {"windows-1252", u"café€", kAllStorable},
        {"windows-1252", u"caf\u0119", 3},  // no best fit to "e"
        {"UTF-8", u"数据库\U0001F600", kAllStorable},
        {"UTF-8", std::u16string{u'a', u'b', 0xD800, u'c'}, 2},  // a lone surrogate
        {"UTF-8", u"ab\xDC00", 2},
        {"UTF-8", u"ab\uFFFD", 2},  // the mark of bytes that could not be read
        // Code pages whose conversion takes none of the flags that report a
        // replaced character: still converted, still checked.
        {"windows-54936", u"数据库中文", kAllStorable},
        {"windows-54936", u"ab\uFFFD", 2},
        {"windows-50220", u"日本語", kAllStorable},
        {"windows-50220", u"日한", 1},
        {"windows-65000", u"中文 +a-b", kAllStorable},  // UTF-7
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(platform::Utf16ToUtf8(row.text) + " in " + row.codePage);
        if (!SetAnsiCodePage(row.codePage)) {
            continue;  // ISO-2022-JP and UTF-7 are Windows code pages only
        }
        ScopedCodePage pin(row.codePage);
        EXPECT_EQ(FirstUnstorable(row.text), row.unstorable);
        auto stored = UnicodeToAnsi(row.text);
        EXPECT_EQ(stored.has_value(), row.unstorable == kAllStorable);
        if (stored) {
            EXPECT_TRUE(IsValidAnsi(*stored));
            EXPECT_EQ(AnsiToUnicode(*stored), row.text);
        }
    }
    EXPECT_EQ(CharacterAt(u"ab\U0001F600c", 2), u"\U0001F600");
    EXPECT_EQ(CharacterAt(u"ab", 1), u"b");
}

TEST(TextTest, TellsBytesTheCodePageCannotRead) {
    {
        ScopedCodePage pin("windows-950");
        EXPECT_TRUE(IsValidAnsi(kBig5Chinese));
        EXPECT_TRUE(IsValidAnsi("plain"));
        EXPECT_FALSE(IsValidAnsi(kUtf8Chinese));  // read as Big5
        EXPECT_FALSE(IsValidAnsi("\xA4"));        // a lead byte alone
        EXPECT_EQ(AnsiToUnicode("a\xA4"), u"a\uFFFD");
    }
    {
        ScopedCodePage pin("UTF-8");
        EXPECT_TRUE(IsValidAnsi(kUtf8Chinese));
        EXPECT_FALSE(IsValidAnsi(kBig5Chinese));
    }
    EXPECT_FALSE(SetAnsiCodePage("no-such-code-page"));
}

struct CaseRow {
    const char* label;
    const char* codePage;
    std::u16string a;
    std::u16string b;
    bool equal;
};

TEST(TextTest, EqualsIgnoreCaseFoldsCharacters) {
    const std::vector<CaseRow> rows = {
        {"ascii", "UTF-8", u"[MyAlias]", u"[myALIAS]", true},
        {"ascii differs", "UTF-8", u"[abc]", u"[abd]", false},
        {"latin", "UTF-8", u"ÄÖÜ", u"äöü", true},
        {"full folding", "UTF-8", u"STRASSE", u"straße", true},
        {"greek", "UTF-8", u"ΣΊΣΥΦΟΣ", u"σίσυφος", true},
        {"no width folding", "UTF-8", u"Ａ", u"A", false},
        {"fullwidth big5", "windows-950", u"[Ａ資料]", u"[ａ資料]", true},
        {"chinese big5", "windows-950", u"中文", u"中文", true},
        {"chinese utf8", "UTF-8", u"中文", u"文中", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        ScopedCodePage pin(row.codePage);
        std::string a = UnicodeToAnsi(row.a).value();
        std::string b = UnicodeToAnsi(row.b).value();
        EXPECT_EQ(EqualsIgnoreCase(a, b), row.equal);
        EXPECT_EQ(FoldCase(a) == FoldCase(b), row.equal);
    }
}

TEST(TextTest, EqualsIgnoreCaseNeverComparesBytes) {
    ScopedCodePage pin("windows-950");
    // 乙 (A4 41) and 兀 (A4 61): trail bytes differ only like "A" and "a".
    EXPECT_EQ(AnsiToUnicode("\xA4\x41"), u"乙");
    EXPECT_EQ(AnsiToUnicode("\xA4\x61"), u"兀");
    EXPECT_FALSE(EqualsIgnoreCase("\xA4\x41", "\xA4\x61"));
    EXPECT_FALSE(EqualsIgnoreCase("[\xA4\x41]", "[\xA4\x61]"));
}

TEST(TextTest, EveryAsciiLetterMatchesItsOtherCase) {
    for (const char* codePage : {"UTF-8", "windows-950"}) {
        SCOPED_TRACE(codePage);
        ScopedCodePage pin(codePage);
        for (char upper = 'A'; upper <= 'Z'; ++upper) {
            const std::string name = std::string("[") + upper + "eta]";
            const std::string lower = std::string("[") + char(upper - 'A' + 'a') + "eta]";
            SCOPED_TRACE(name);
            EXPECT_TRUE(EqualsIgnoreCase(name, lower));
            EXPECT_EQ(FoldCase(name), FoldCase(lower));
            EXPECT_TRUE(IgnoreCaseText(lower).Matches(name));
            EXPECT_FALSE(IgnoreCaseText(lower).DiffersAtStart(name));
        }
        // The bytes next to the letters are no letters: "@[" and "`{".
        EXPECT_FALSE(EqualsIgnoreCase("@[", "`{"));
        EXPECT_FALSE(IgnoreCaseText("@[").Matches("`{"));
        EXPECT_TRUE(IgnoreCaseText("@[").DiffersAtStart("`{"));
    }
}

TEST(TextTest, MalformedBytesStayDistinct) {
    ScopedCodePage pin("UTF-8");
    // Both decode to U+FFFD for display, but they are different names.
    EXPECT_FALSE(EqualsIgnoreCase("a\xFF", "a\xFE"));
    EXPECT_TRUE(EqualsIgnoreCase("A\xFF", "a\xFF"));
}

// The order of two texts as their collation keys give it.
int CompareLocale(std::string_view a, std::string_view b) {
    return CollationKey(AnsiToUnicode(a)).compare(CollationKey(AnsiToUnicode(b)));
}

TEST(TextTest, CollationKeyOrdersLikeTheUser) {
    for (const char* locale : {"en_US", "", "C", "en_US_POSIX", "zh_TW"}) {
        SCOPED_TRACE(locale);
        ScopedCollationLocale pin(locale);
        ScopedCodePage codePage("UTF-8");
        EXPECT_LT(CompareLocale("a", "B"), 0);
        EXPECT_LT(CompareLocale("a", "A"), 0);
        EXPECT_LT(CompareLocale("A", "b"), 0);
        EXPECT_GT(CompareLocale("b", "A"), 0);
        EXPECT_EQ(CompareLocale("Alias", "Alias"), 0);
    }
}

TEST(TextTest, CollationKeyDecodesTheCodePage) {
    // Stroke order: 乙 (1 stroke) before 中 (4 strokes), although U+4E2D < U+4E59.
    ScopedCollationLocale pin("zh_TW");
    for (const char* codePage : {"UTF-8", "windows-950"}) {
        SCOPED_TRACE(codePage);
        ScopedCodePage cp(codePage);
        const std::string yi = UnicodeToAnsi(u"乙").value();
        const std::string zhong = UnicodeToAnsi(u"中").value();
        EXPECT_LT(CompareLocale(yi, zhong), 0);
        EXPECT_GT(CompareLocale(zhong, yi), 0);
    }
}

TEST(TextTest, EndsWithSingleByteKnowsTrailBytes) {
    {
        ScopedCodePage pin("windows-950");
        EXPECT_FALSE(EndsWithSingleByte("\xB3\x5C", '\\'));  // 許 ends in 0x5C
        EXPECT_FALSE(EndsWithSingleByte("ab\xB3\x5C", '\\'));
        EXPECT_TRUE(EndsWithSingleByte("\xB3\x5C\\", '\\'));
        EXPECT_TRUE(EndsWithSingleByte("a\\", '\\'));
        EXPECT_FALSE(EndsWithSingleByte("[\xA4\x5D", ']'));
        EXPECT_TRUE(EndsWithSingleByte("[\xA4\x5D]", ']'));
    }
    {
        ScopedCodePage pin("UTF-8");
        EXPECT_TRUE(EndsWithSingleByte("\xE4\xB8\xAD\\", '\\'));
        EXPECT_FALSE(EndsWithSingleByte("", '\\'));
        EXPECT_FALSE(EndsWithSingleByte("a/", '\\'));
    }
}

TEST(TextTest, OtherThreadsSeeThePinnedCodePage) {
    ScopedCodePage pin("windows-950");
    bool equal = false;
    std::u16string decoded;
    std::thread worker([&] {
        equal = EqualsIgnoreCase("\xA2\xCF", "\xA2\xE9");  // Ａ and ａ
        decoded = AnsiToUnicode(kBig5Chinese);
    });
    worker.join();
    EXPECT_EQ(decoded, u"中文");
    EXPECT_EQ(AnsiToUnicode("\xA2\xCF\xA2\xE9"), u"Ａａ");
    EXPECT_TRUE(equal);
}

}  // namespace
}  // namespace kvr::platform
