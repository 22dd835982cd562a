// What a change of the machine's code page would spoil in an alias file.
#include "store/CodePageChange.h"

#include <gtest/gtest.h>

#include "fixtures/TempDir.h"
#include "platform/Text.h"
#include "store/Cencrpyt.h"

namespace kvr {
namespace {

TEST(CodePageChange, NamesTheNamesAndValuesThatWouldReadOtherwise) {
    test::TempDir dir;
    const CEncrpyt cipher;
    const std::string key = "00:00:00 01/01/2026";
    // Written under UTF-8: a Chinese name and value, and an ASCII alias.
    test::WriteBytes(dir.Path() + "KVRCFG",
                     "[台北]\r\nDatabaseName=" + cipher.Encrypt(key, "資料") +
                         "\r\nServerName=" + cipher.Encrypt(key, "srv") + "\r\n[plain]\r\n" +
                         "DatabaseName=" + cipher.Encrypt(key, "db") + "\r\n");
    ASSERT_TRUE(platform::SetAnsiCodePage("UTF-8"));
    const std::vector<ChangedText> big5 = TextChangedByCodePage(dir.Path(), "UTF-8", "windows-950");
    EXPECT_EQ(big5, (std::vector<ChangedText>{{"台北", ""}, {"台北", "DatabaseName"}}));
    EXPECT_EQ(platform::AnsiCodePage(), "UTF-8");  // left as it was
    EXPECT_TRUE(TextChangedByCodePage(dir.Path(), "UTF-8", "UTF-8").empty());
    // A missing file has nothing to spoil.
    EXPECT_TRUE(TextChangedByCodePage(dir.Path() + "none/", "UTF-8", "windows-950").empty());
    platform::SetAnsiCodePage("");
}

}  // namespace
}  // namespace kvr
