#include "platform/FileRegistry.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sstream>
#include <vector>

#include "fixtures/TempDir.h"

namespace kvr::platform {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

RegValue Raw(RegType type, std::string data) {
    return {type, std::move(data)};
}

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "every line ends in CR LF";
        if (end == std::string::npos) {
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

TEST(RegistryTest, ValuesComeBackWithTheirTypesAndBytes) {
    std::string longBinary;
    for (int i = 0; i < 300; ++i) {
        longBinary += static_cast<char>(i);
    }
    struct Row {
        const char* label;
        std::string name;
        RegValue value;
    };
    const std::vector<Row> rows = {
        {"ascii text", "Plain", StringValue(RegType::Sz, "C:\\Kavrolis\\")},
        {"empty text", "Empty", StringValue(RegType::Sz, "")},
        {"quotes and backslashes", "Esc\"aped\\Name", StringValue(RegType::Sz, "a\\\"b\\\\\"")},
        // Big5 trail bytes 0x5C must survive the backslash escaping.
        {"big5 text", "Big5",
         StringValue(RegType::Sz, "\xB3\x5C\xA5\x5C\xBB\x5C \xA4\xA4\xA4\xE5")},
        {"utf-8 text", "Utf8", StringValue(RegType::Sz, "\xE4\xB8\xAD\xE6\x96\x87\\")},
        {"line breaks in text", "Broken", StringValue(RegType::Sz, "one\r\ntwo\n")},
        {"text without its NUL", "NoNul", Raw(RegType::Sz, "abc")},
        {"NUL inside text", "InnerNul", Raw(RegType::Sz, std::string("a\0b\0", 4))},
        {"expandable text", "Expand", StringValue(RegType::ExpandSz, "%SystemRoot%\\x")},
        {"dword", "Number", Raw(RegType::Dword, std::string("\x2A\x00\x00\x80", 4))},
        {"short dword", "OddDword", Raw(RegType::Dword, "\x01\x02")},
        {"long binary", "Blob", Raw(RegType::Binary, longBinary)},
        {"empty binary", "NoBytes", Raw(RegType::Binary, "")},
        {"multi text", "Multi", Raw(RegType::MultiSz, std::string("a\0b\0\0", 5))},
        {"unknown type", "Odd", Raw(static_cast<RegType>(0x1234), "\xFF")},
        {"default value", "", StringValue(RegType::Sz, "default")},
    };

    TempDir dir;
    std::string file = dir.File("registry.reg");
    {
        RegKey key = FileRegistry(file).CreateKey("SOFTWARE", kKeyWrite);
        ASSERT_TRUE(key.IsOpen());
        for (const Row& row : rows) {
            SCOPED_TRACE(row.label);
            EXPECT_TRUE(key.SetValue(row.name, row.value));
        }
    }
    RegKey key = FileRegistry(file).OpenKey("software", kKeyRead);
    ASSERT_TRUE(key.IsOpen());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(key.QueryValue(row.name), row.value);
    }

    std::vector<std::string> lines = Lines(ReadBytes(file));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "REGEDIT4");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "[HKEY_LOCAL_MACHINE\\SOFTWARE]");
    int continued = 0;
    for (const std::string& line : lines) {
        EXPECT_LE(line.size(), 80u) << line;
        if (!line.empty() && line.back() == '\\' && line.find("=hex") != line.npos) {
            ++continued;
        }
    }
    EXPECT_GT(continued, 0) << "the long binary value wraps";
}

TEST(RegistryTest, WritesTheRegistryEditorsLayout) {
    TempDir dir;
    std::string file = dir.File("registry.reg");
    RegKey key = FileRegistry(file).CreateKey("SOFTWARE", kKeyWrite);
    ASSERT_TRUE(key.SetStringValue("KVRPath", "C:\\Work \"A\"\\"));
    ASSERT_TRUE(key.SetValue("Port", Raw(RegType::Dword, std::string("\x39\x30\x00\x00", 4))));
    ASSERT_TRUE(key.SetValue("Path", StringValue(RegType::ExpandSz, "%A%")));
    ASSERT_TRUE(key.SetValue("Bytes", Raw(RegType::Binary, std::string(30, '\xAB'))));

    EXPECT_EQ(ReadBytes(file),
              "REGEDIT4\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"
              "\"KVRPath\"=\"C:\\\\Work \\\"A\\\"\\\\\"\r\n"
              "\"Port\"=dword:00003039\r\n"
              "\"Path\"=hex(2):25,41,25,00\r\n"
              "\"Bytes\"=hex:ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,\\\r\n"
              "  ab,ab,ab,ab,ab,ab,ab,ab,ab\r\n"
              "\r\n");
}

TEST(RegistryTest, ReadsAnExportWithUnixLineEndsAndContinuations) {
    TempDir dir;
    std::string file = dir.File("registry.reg");
    WriteBytes(file,
               "REGEDIT4\n"
               "\n"
               "; exported by hand\n"
               "[hkey_local_machine\\Software]\n"
               "@=\"root\"\n"
               "  \"Spaced\" = \"x\"\n"
               "\"Multi\"=hex(7):61,00,\\\n"
               "  62,00,\\\n"
               "  00\n"
               "\"N\"=dword:FFFFFFFF\n"
               "\"Last\"=\"1\"\n"
               "\"last\"=\"2\"\n");
    RegKey key = FileRegistry(file).OpenKey("SOFTWARE", kKeyQueryValue);
    ASSERT_TRUE(key.IsOpen());
    EXPECT_EQ(key.QueryValue(""), StringValue(RegType::Sz, "root"));
    EXPECT_EQ(key.QueryValue("SPACED"), StringValue(RegType::Sz, "x"));
    EXPECT_EQ(key.QueryValue("Multi"), Raw(RegType::MultiSz, std::string("a\0b\0\0", 5)));
    EXPECT_EQ(key.QueryValue("n"), Raw(RegType::Dword, "\xFF\xFF\xFF\xFF"));
    // A name given twice: the later line counts, as on import.
    EXPECT_EQ(key.QueryValue("LAST"), StringValue(RegType::Sz, "2"));
    EXPECT_EQ(key.QueryValue("Missing"), std::nullopt);

    // What is added follows the file's own line ends.
    RegKey writer = FileRegistry(file).CreateKey("SOFTWARE", kKeyWrite);
    ASSERT_TRUE(writer.SetStringValue("New", "v"));
    EXPECT_TRUE(ReadBytes(file).ends_with("\"last\"=\"2\"\n\"New\"=\"v\"\n"));
}

TEST(RegistryTest, KeepsEveryOtherLineByteForByte) {
    const std::string before =
        "REGEDIT4\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n"
        "\"Weird\"=something we do not know\r\n"
        "\"Blob\"=hex:01,02,\\\r\n"
        "      03\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"
        "\"Keep\" = \"spaced  \"\r\n"
        "\"kvrpath\"=\"old\"\r\n"
        "; a note\r\n"
        "\"Tail\"=dword:1\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\X]\n"
        "\"Unix\"=\"lf\"";
    TempDir dir;
    std::string file = dir.File("registry.reg");
    WriteBytes(file, before);
    RegKey key = FileRegistry(file).CreateKey("SOFTWARE", kKeyWrite);
    ASSERT_TRUE(key.IsOpen());
    ASSERT_TRUE(key.SetStringValue("KVRPath", "new"));
    ASSERT_TRUE(key.SetStringValue("Added", ""));

    std::string after = before;
    after.replace(after.find("\"kvrpath\"=\"old\""), 15, "\"KVRPath\"=\"new\"");
    after.insert(after.find("\r\n\r\n[HKEY_CURRENT_USER") + 2, "\"Added\"=\"\"\r\n");
    EXPECT_EQ(ReadBytes(file), after);

    // A key of its own is appended after a file that ends without a line end.
    RegKey other = FileRegistry(file).CreateKey("SOFTWARE\\New", kKeyWrite);
    ASSERT_TRUE(other.SetStringValue("A", "b"));
    EXPECT_EQ(ReadBytes(file),
              after + "\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\New]\r\n\"A\"=\"b\"\r\n\r\n");
}

TEST(RegistryTest, FilesItCannotUnderstandAreNeverRewritten) {
    struct Row {
        const char* label;
        std::string bytes;
    };
    const std::vector<Row> rows = {
        {"no signature", "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\"A\"=\"1\"\r\n"},
        {"other format", "Windows Registry Editor Version 5.00\r\n\r\n"},
        {"bad value line in the key",
         "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\"A\"=\"1\r\n"},
        {"bad escape in the key",
         "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\"A\"=\"\\n\"\r\n"},
        {"bad hex in the key",
         "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\"A\"=hex:1,,2\r\n"},
        {"dangling continuation",
         "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\"A\"=hex:01,\\\r\n"
         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\r\n"},
        {"stray text in the key", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\nstray\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        TempDir dir;
        std::string file = dir.File("registry.reg");
        WriteBytes(file, row.bytes);
        FileRegistry registry(file);
        EXPECT_FALSE(registry.OpenKey("SOFTWARE", kKeyRead).IsOpen());
        RegKey key = registry.CreateKey("SOFTWARE", kKeyWrite);
        EXPECT_FALSE(key.IsOpen());
        EXPECT_FALSE(key.SetStringValue("A", "2"));
        EXPECT_EQ(ReadBytes(file), row.bytes);
    }
}

TEST(RegistryTest, DamageInAnotherKeyDoesNotMatter) {
    TempDir dir;
    std::string file = dir.File("registry.reg");
    WriteBytes(file,
               "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\r\nstray\r\n\"B\"=\"\r\n"
               "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\"A\"=\"1\"\r\n");
    RegKey key = FileRegistry(file).CreateKey("SOFTWARE", kKeyWrite | kKeyQueryValue);
    ASSERT_TRUE(key.IsOpen());
    EXPECT_TRUE(key.SetStringValue("A", "2"));
    EXPECT_EQ(key.QueryValue("A"), StringValue(RegType::Sz, "2"));
}

TEST(RegistryTest, HandlesDoOnlyWhatTheirAccessAllows) {
    TempDir dir;
    std::string file = dir.File("registry.reg");
    FileRegistry registry(file);
    RegKey writer = registry.CreateKey("SOFTWARE", kKeyWrite);
    ASSERT_TRUE(writer.IsOpen());
    EXPECT_FALSE(FileRegistry(file).OpenKey("SOFTWARE", kKeyRead).IsOpen())
        << "no key before a value";
    ASSERT_TRUE(writer.SetStringValue("A", "1"));
    EXPECT_EQ(writer.QueryValue("A"), std::nullopt) << "a write handle cannot read";

    RegKey reader = registry.OpenKey("SOFTWARE", kKeyRead);
    ASSERT_TRUE(reader.IsOpen());
    EXPECT_FALSE(reader.SetStringValue("A", "2")) << "a read handle cannot write";
    EXPECT_EQ(reader.QueryValue("A"), StringValue(RegType::Sz, "1"));

    RegKey moved = std::move(reader);
    EXPECT_FALSE(reader.IsOpen());
    moved.Close();
    EXPECT_EQ(moved.QueryValue("A"), std::nullopt);
    RegKey none;
    EXPECT_FALSE(none.SetStringValue("A", "3"));
    EXPECT_EQ(ReadBytes(file),
              "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\"A\"=\"1\"\r\n\r\n");
}

TEST(RegistryTest, MakesItsOwnFolderButNothingAbove) {
    TempDir dir;
    std::string file = dir.File("kavrolis/registry.reg");
    RegKey key = FileRegistry(file).CreateKey("SOFTWARE", kKeyWrite);
    ASSERT_TRUE(key.IsOpen());
    EXPECT_TRUE(key.SetStringValue("A", "1"));
    EXPECT_FALSE(ReadBytes(file).empty());

    EXPECT_FALSE(
        FileRegistry(dir.File("a/b/registry.reg")).CreateKey("SOFTWARE", kKeyWrite).IsOpen());
}

TEST(RegistryTest, UnwritableLocationsRefuseWrites) {
    TempDir dir;
    // As root permission bits do not stop a write; a regular file where a
    // folder should be, or a folder where the file should be, does.
    WriteBytes(dir.File("plain"), "x");
    std::string underFile = dir.File("plain/registry.reg");
    EXPECT_FALSE(FileRegistry(underFile).CreateKey("SOFTWARE", kKeyWrite).IsOpen());
    EXPECT_FALSE(FileRegistry(underFile).OpenKey("SOFTWARE", kKeyRead).IsOpen());
    EXPECT_EQ(ReadBytes(dir.File("plain")), "x");

    std::string folder = dir.File("folder.reg");
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    EXPECT_FALSE(FileRegistry(folder).CreateKey("SOFTWARE", kKeyWrite).IsOpen());
    EXPECT_FALSE(FileRegistry(folder).OpenKey("SOFTWARE", kKeyRead).IsOpen());
}

}  // namespace
}  // namespace kvr::platform
