// Our texts in the user's language, from the table generated out of the .ts
// file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "fixtures/TempDir.h"
#include "texts/Explanations.h"
#include "texts/Texts.h"

namespace kvr {
namespace {

const SourceText kDatabase = texts::ExplanationOf(FailureReason::DatabaseUnavailable);

TEST(Texts, TableHoldsTheDecodedTranslations) {
    EXPECT_EQ(texts::ChineseOf(kDatabase).rfind("帳號與密碼已被接受", 0), 0u);
    // A text without a translation stays English.
    EXPECT_EQ(texts::ChineseOf(KVR_TEXT("ConnectionTest", "no such text")), "no such text");
    EXPECT_EQ(texts::Fill("%2 [%1] %3%", {"a", "b"}), "b [a] %3%");
}

#ifdef KVR_TEXT_TABLE_SCRIPT
// The generator takes finished entries of each context, decodes entities and
// writes C++ literals that keep backslashes, quotes and line breaks.
TEST(Texts, GeneratorKeepsFinishedEntriesOnly) {
    test::TempDir dir;
    const std::string ts = dir.Path() + "t.ts";
    const std::string out = dir.Path() + "t.cpp";
    std::ofstream(ts) << R"(<?xml version="1.0" encoding="utf-8"?>
<TS version="2.1" language="zh_TW">
<context>
    <name>A</name>
    <message>
        <source>Save &quot;%1&quot; in host\instance?
Yes</source>
        <translation>儲存「%1」&amp;嗎？</translation>
    </message>
    <message>
        <source>Unfinished</source>
        <translation type="unfinished">未完成</translation>
    </message>
    <message>
        <source>Empty</source>
        <translation/>
    </message>
</context>
<context>
    <name>B</name>
    <message>
        <source>Unfinished</source>
        <translation>別的</translation>
    </message>
</context>
</TS>)";
    const std::string command = std::string(KVR_CMAKE_COMMAND) + " -DTS=" + ts + " -DOUT=" + out +
                                " -P " + KVR_TEXT_TABLE_SCRIPT;
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::stringstream table;
    table << std::ifstream(out).rdbuf();
    const std::string text = table.str();
    EXPECT_NE(text.find(R"({"A",
     "Save \"%1\" in host\\instance?\nYes",
     "儲存「%1」&嗎？"},)"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(R"({"B",
     "Unfinished",
     "別的"},)"),
              std::string::npos);
    EXPECT_EQ(text.find("未完成"), std::string::npos);
    EXPECT_EQ(text.find("Empty"), std::string::npos);
    EXPECT_NE(text.find("kTextTableSize = 2;"), std::string::npos);
}
#endif

}  // namespace
}  // namespace kvr
