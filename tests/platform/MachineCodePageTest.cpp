#include "platform/MachineCodePage.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "fixtures/CodePage.h"
#include "fixtures/TempDir.h"
#include "platform/FileRegistry.h"
#include "platform/Text.h"

namespace kvr::platform {
namespace {

using test::TempDir;
using test::WriteBytes;

std::string RegistryWithAcp(const std::string& value) {
    return "REGEDIT4\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage]\r\n"
           "\"OEMCP\"=\"950\"\r\n" +
           value + "\r\n";
}

// The machine's setting replaces whatever the locale (here a pinned code page
// standing in for it) would give; without a usable setting the locale stays.
TEST(MachineCodePageTest, RegistryValueDecidesTheCodePage) {
    TempDir dir;
    const std::string file = dir.File("registry.reg");
    test::ScopedCodePage locale("UTF-8");
    struct Row {
        const char* label;
        std::string bytes;
        MachineCodePage outcome;
        const char* decodes;  // 中 in the code page then in force
    };
    const Row rows[] = {
        {"Big5", RegistryWithAcp("\"ACP\"=\"950\""), MachineCodePage::InForce, "\xA4\xA4"},
        {"UTF-8", RegistryWithAcp("\"ACP\"=\"65001\""), MachineCodePage::InForce, "\xE4\xB8\xAD"},
        {"no file", "", MachineCodePage::NotSet, "\xE4\xB8\xAD"},
        {"no value", RegistryWithAcp(""), MachineCodePage::NotSet, "\xE4\xB8\xAD"},
        {"not a number", RegistryWithAcp("\"ACP\"=\"big5\""), MachineCodePage::NotSet,
         "\xE4\xB8\xAD"},
        {"a DWORD", RegistryWithAcp("\"ACP\"=dword:000003b6"), MachineCodePage::NotSet,
         "\xE4\xB8\xAD"},
        {"unknown", RegistryWithAcp("\"ACP\"=\"12345\""), MachineCodePage::Unknown, "\xE4\xB8\xAD"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        SetAnsiCodePage("UTF-8");
        std::remove(file.c_str());
        if (!row.bytes.empty()) {
            WriteBytes(file, row.bytes);
        }
        EXPECT_EQ(UseMachineCodePage(FileRegistry(file)), row.outcome);
        EXPECT_EQ(AnsiToUnicode(row.decodes), u"中");
    }

    // What the administrator's command writes is what the programs read.
    ASSERT_TRUE(WriteMachineCodePage(FileRegistry(file), 1252));
    EXPECT_EQ(ReadMachineCodePage(FileRegistry(file)), 1252u);
    EXPECT_EQ(UseMachineCodePage(FileRegistry(file)), MachineCodePage::InForce);
    EXPECT_EQ(UnicodeToAnsi(u"é"), "\xE9");
}

}  // namespace
}  // namespace kvr::platform
