// The system's code page on Linux is the locale's character set; Windows has
// its own (GetACP), whatever the C library's locale says.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "fixtures/CodePage.h"
#include "platform/Text.h"

namespace kvr::platform {
namespace {

using test::ScopedCodePage;

const std::string kUtf8Chinese = "\xE4\xB8\xAD\xE6\x96\x87";

// Without a locale (the C locale, whose character set is plain ASCII) text is
// read and written as UTF-8, which holds ASCII and every other character.
TEST(LocaleCodePageTest, TheCLocaleMeansUtf8) {
    const std::string saved = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "C");
    {
        ScopedCodePage system("");
        EXPECT_EQ(AnsiCodePage(), "UTF-8");
        EXPECT_EQ(UnicodeToAnsi(u"中文"), kUtf8Chinese);
        EXPECT_EQ(AnsiToUnicode(kUtf8Chinese), u"中文");
    }
    std::setlocale(LC_CTYPE, saved.c_str());
}
}  // namespace
}  // namespace kvr::platform
