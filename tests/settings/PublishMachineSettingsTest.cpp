#include "settings/PublishMachineSettings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <utility>
#include <vector>

#include "fixtures/FailingFileSystem.h"
#include "fixtures/TempDir.h"
#include "platform/FileRegistry.h"

namespace kvr {
namespace {

using platform::RegType;
using platform::RegValue;
using platform::StringValue;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

const char* const kPorts[] = {"Plovar_UDP_Port",  "Vesk_UDP_Port",   "Temlor_UDP_Port",
                              "Grunvel_UDP_Port", "Saumid_UDP_Port", "Faddokin_UDP_Port"};

std::optional<RegValue> Query(const std::string& file, const char* name) {
    return platform::FileRegistry(file).OpenKey("SOFTWARE", platform::kKeyRead).QueryValue(name);
}

TEST(PublishMachineSettingsTest, FillsAnEmptyRegistry) {
    TempDir dir;
    std::string file = dir.File("registry.reg");
    EXPECT_NO_THROW(PublishMachineSettings("/srv/kavrolis/", platform::FileRegistry(file)));
    EXPECT_EQ(ReadBytes(file),
              "REGEDIT4\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"
              "\"KVRPath\"=\"/srv/kavrolis/\"\r\n"
              "\"Plovar_UDP_Port\"=\"\"\r\n"
              "\"Vesk_UDP_Port\"=\"\"\r\n"
              "\"Temlor_UDP_Port\"=\"\"\r\n"
              "\"Grunvel_UDP_Port\"=\"\"\r\n"
              "\"Saumid_UDP_Port\"=\"\"\r\n"
              "\"Faddokin_UDP_Port\"=\"\"\r\n"
              "\r\n");

    // The next start moves the work directory and leaves the ports as they are.
    PublishMachineSettings("C:\\Kavrolis\\", platform::FileRegistry(file));
    EXPECT_EQ(Query(file, "KVRPath"), StringValue(RegType::Sz, "C:\\Kavrolis\\"));
    for (const char* port : kPorts) {
        SCOPED_TRACE(port);
        EXPECT_EQ(Query(file, port), StringValue(RegType::Sz, ""));
    }
}

TEST(PublishMachineSettingsTest, WritesOnlyBlankPortValues) {
    struct Row {
        const char* label;
        RegValue before;
        RegValue after;
    };
    const RegValue empty = StringValue(RegType::Sz, "");
    const std::vector<Row> rows = {
        {"blanks", StringValue(RegType::Sz, " \t "), empty},
        {"control bytes", StringValue(RegType::Sz, "\x01\x1F"), empty},
        {"port number", StringValue(RegType::Sz, "5001"), StringValue(RegType::Sz, "5001")},
        {"padded port", StringValue(RegType::Sz, " 5001 "), StringValue(RegType::Sz, " 5001 ")},
        {"blank expandable", StringValue(RegType::ExpandSz, "  "), empty},
        {"expandable port", StringValue(RegType::ExpandSz, "%PORT%"),
         StringValue(RegType::ExpandSz, "%PORT%")},
        {"text with no NUL", {RegType::Sz, "  "}, empty},
        {"text after a NUL", {RegType::Sz, std::string(" \0 9\0", 5)}, empty},
        {"dword",
         {RegType::Dword, std::string("\x89\x13\0\0", 4)},
         {RegType::Dword, std::string("\x89\x13\0\0", 4)}},
        {"binary", {RegType::Binary, "\x20"}, {RegType::Binary, "\x20"}},
        {"empty binary", {RegType::Binary, ""}, empty},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        TempDir dir;
        std::string file = dir.File("registry.reg");
        {
            auto key = platform::FileRegistry(file).CreateKey("SOFTWARE", platform::kKeyWrite);
            for (const char* port : kPorts) {
                ASSERT_TRUE(key.SetValue(port, row.before));
            }
        }
        EXPECT_NO_THROW(PublishMachineSettings("/w/", platform::FileRegistry(file)));
        for (const char* port : kPorts) {
            SCOPED_TRACE(port);
            EXPECT_EQ(Query(file, port), row.after);
        }
        EXPECT_EQ(Query(file, "KVRPath"), StringValue(RegType::Sz, "/w/"));
    }
}

TEST(PublishMachineSettingsTest, OtherProgramsValuesSurvive) {
    const std::string others =
        "REGEDIT4\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\r\n"
        "\"Name\"=\"\xA4\xA4\xA4\xE5\\\\\"\r\n"
        "\"Blob\"=hex:00,01,\\\r\n"
        "  02\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"
        "\"Vesk_UDP_Port\"=\"7001\"\r\n"
        "\"Other\"=dword:00000001\r\n";
    TempDir dir;
    std::string file = dir.File("registry.reg");
    WriteBytes(file, others);
    PublishMachineSettings("/w/", platform::FileRegistry(file));
    EXPECT_EQ(ReadBytes(file), others +
                                   "\"KVRPath\"=\"/w/\"\r\n"
                                   "\"Plovar_UDP_Port\"=\"\"\r\n"
                                   "\"Temlor_UDP_Port\"=\"\"\r\n"
                                   "\"Grunvel_UDP_Port\"=\"\"\r\n"
                                   "\"Saumid_UDP_Port\"=\"\"\r\n"
                                   "\"Faddokin_UDP_Port\"=\"\"\r\n");
}

// Another program sets a port, or blanks it, right after each of our reads.
// Whatever it managed to write last must be what the publication judged: a
// port number it set is never blanked.
TEST(PublishMachineSettingsTest, JudgesPortsAsTheyStandWhenWriting) {
    TempDir dir;
    const std::string file = dir.File("registry.reg");
    test::FailingFileSystem other;  // its waits for our lock end at once
    test::FailingFileSystem ours;
    std::string lastWritten;
    int turn = 0;
    ours.afterRead = [&] {
        const std::string port = turn++ % 3 == 0 ? " " : "7001";
        if (platform::FileRegistry(file, other)
                .CreateKey("SOFTWARE", platform::kKeyWrite)
                .SetStringValue("Faddokin_UDP_Port", port)) {
            lastWritten = port;
        }
    };
    // Each start shifts which of our reads the other program's writes follow.
    for (int start = 0; start < 6; ++start) {
        SCOPED_TRACE(start);
        WriteBytes(file, "REGEDIT4\r\n\r\n");  // as installed
        turn = start;
        lastWritten.clear();
        PublishMachineSettings("/w/", platform::FileRegistry(file, ours));
        ASSERT_GT(turn, start + 1);
        const std::string expected = lastWritten == "7001" ? "7001" : "";
        EXPECT_EQ(Query(file, "Faddokin_UDP_Port"), StringValue(RegType::Sz, expected));
        EXPECT_EQ(Query(file, "KVRPath"), StringValue(RegType::Sz, "/w/"));
    }
}

TEST(PublishMachineSettingsTest, AWorkDirectoryCannotForgeLines) {
    TempDir dir;
    std::string file = dir.File("registry.reg");
    const std::string workDir = "/tmp/a\"\r\n\"Plovar_UDP_Port\"=\"9\\/";
    PublishMachineSettings(workDir, platform::FileRegistry(file));
    EXPECT_EQ(Query(file, "KVRPath"), StringValue(RegType::Sz, workDir));
    EXPECT_EQ(Query(file, "Plovar_UDP_Port"), StringValue(RegType::Sz, ""));
}

TEST(PublishMachineSettingsTest, LeavesWhatItCannotWriteAlone) {
    TempDir dir;
    WriteBytes(dir.File("plain"), "x");
    ASSERT_TRUE(std::filesystem::create_directory(dir.File("folder.reg")));
    const std::string unparsable = "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\"Vesk_UDP_Port\"=\"\"\r\n";
    WriteBytes(dir.File("corrupt.reg"), unparsable);
    const std::string damaged =
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\"Vesk_UDP_Port\"=\"\r\n";
    WriteBytes(dir.File("damaged.reg"), damaged);

    EXPECT_NO_THROW(
        PublishMachineSettings("/w/", platform::FileRegistry(dir.File("plain/registry.reg"))));
    EXPECT_NO_THROW(PublishMachineSettings("/w/", platform::FileRegistry(dir.File("folder.reg"))));
    EXPECT_NO_THROW(PublishMachineSettings("/w/", platform::FileRegistry(dir.File("corrupt.reg"))));
    EXPECT_NO_THROW(PublishMachineSettings("/w/", platform::FileRegistry(dir.File("damaged.reg"))));

    EXPECT_EQ(ReadBytes(dir.File("plain")), "x");
    EXPECT_EQ(ReadBytes(dir.File("corrupt.reg")), unparsable);
    EXPECT_EQ(ReadBytes(dir.File("damaged.reg")), damaged);
}

// The menu's launcher starts the editor where this points; anything but a
// published text must read as "none", so that it falls back to the home folder.
TEST(PublishMachineSettingsTest, ReadsBackThePublishedWorkDir) {
    TempDir dir;
    std::string file = dir.File("registry.reg");
    const platform::FileRegistry registry(file);
    EXPECT_EQ(PublishedWorkDir(registry), std::nullopt);
    PublishMachineSettings("/srv/a \"b\\/", registry);
    EXPECT_EQ(PublishedWorkDir(registry), "/srv/a \"b\\/");

    const std::string head = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n";
    const std::pair<const char*, std::string> none[] = {
        {"empty text", head + "\"KVRPath\"=\"\"\r\n"},
        {"a number", head + "\"KVRPath\"=dword:00000001\r\n"},
        {"another key", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SYSTEM]\r\n\"KVRPath\"=\"/x/\"\r\n"},
        {"damaged key", head + "\"KVRPath\"=\"/x/\r\n"},
        {"not a registry", "KVRPath=/x/\r\n"},
    };
    for (const auto& [label, bytes] : none) {
        SCOPED_TRACE(label);
        WriteBytes(file, bytes);
        EXPECT_EQ(PublishedWorkDir(registry), std::nullopt);
    }
    WriteBytes(file, head + "\"kvrpath\"=hex(2):2f,78,2f,00\r\n");
    EXPECT_EQ(PublishedWorkDir(registry), "/x/");
}

}  // namespace
}  // namespace kvr
