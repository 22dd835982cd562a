// The alias file's listing, delete and rename over arbitrary file bytes, in
// both code pages, on a file system in memory.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "MemoryFileSystem.h"
#include "platform/Errors.h"
#include "platform/Lines.h"
#include "platform/Profile.h"
#include "platform/Text.h"
#include "store/AliasFile.h"

namespace {

using kvr::platform::EqualsIgnoreCase;
using kvr::platform::ProfileSectionName;
using kvr::platform::ReadProfileValue;
using kvr::platform::Trim;

const std::string kFolder = "/mem/";
const std::string kPath = kFolder + "KVRCFG";

// The lines as every reader of the file cuts them.
std::vector<std::string> Lines(std::string_view bytes) {
    const std::vector<std::string_view> lines = kvr::platform::SplitLines(bytes);
    return {lines.begin(), lines.end()};
}

// The first line that is "[name]" ignoring letter case, or lines.size().
std::size_t HeaderLine(const std::vector<std::string>& lines, const std::string& name) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (EqualsIgnoreCase(lines[i], "[" + name + "]")) {
            return i;
        }
    }
    return lines.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    kvr::platform::SetAnsiCodePage(kvr::fuzz::kCodePages[input.ConsumeBool() ? 1 : 0]);
    const int operation = input.ConsumeIntegralInRange(0, 2);
    const std::string name = input.ConsumeRandomLengthString(64);
    const std::string newName = input.ConsumeRandomLengthString(64);
    const std::string otherSection = input.ConsumeRandomLengthString(64);
    const std::string otherKey = input.ConsumeRandomLengthString(64);
    const std::string file = input.ConsumeRemainingBytesAsString();

    kvr::fuzz::MemoryFileSystem fs;
    fs.files[kPath] = file;
    kvr::AliasFile aliases(kFolder, fs);

    // Listing reads and never writes; every name comes from a line of its own.
    const std::vector<std::string> names = aliases.ListAliases();
    FUZZ_CHECK(fs.files.size() == 1 && fs.files[kPath] == file);
    const std::vector<std::string> lines = Lines(file);
    std::size_t holding = 0;
    for (const std::string& line : lines) {
        holding += line.find('[') != std::string::npos && line.find(']') != std::string::npos;
    }
    FUZZ_CHECK(names.size() == holding);

    const std::optional<std::string_view> before = ReadProfileValue(file, otherSection, otherKey);
    const std::size_t header = HeaderLine(lines, name);
    bool renamed = false;
    try {
        switch (operation) {
            case 0:
                aliases.DeleteAliasSection(name);
                break;
            case 1:
                renamed = aliases.RenameAliasHeader(name, newName);
                break;
            default:
                aliases.AddAliasHeader(name);
                break;
        }
    } catch (const kvr::Error&) {
        // A name the file cannot hold is refused with nothing written.
        FUZZ_CHECK(fs.files.size() == 1 && fs.files[kPath] == file);
        return 0;
    }
    // No temporary file is left behind.
    FUZZ_CHECK(fs.files.size() == 1);
    const std::string& out = fs.files[kPath];
    const std::vector<std::string> after = Lines(out);

    std::vector<std::string> expected = lines;
    bool sameSection = EqualsIgnoreCase(Trim(otherSection), Trim(name));
    switch (operation) {
        case 0:
            // The header and its own section go: up to the next header the
            // profile functions see, and nothing of that one.
            if (header < lines.size()) {
                std::size_t end = header + 1;
                while (end < lines.size() && !ProfileSectionName(lines[end])) {
                    ++end;
                }
                expected.erase(expected.begin() + header, expected.begin() + end);
            }
            break;
        case 1: {
            const std::size_t taken = HeaderLine(lines, newName);
            if (header < lines.size() && taken < lines.size() && taken != header) {
                // The new name is another alias's: nothing changes at all.
                FUZZ_CHECK(!renamed && out == file);
                return 0;
            }
            FUZZ_CHECK(renamed == (header < lines.size()));
            if (renamed) {
                expected[header] = "[" + newName + "]";
                FUZZ_CHECK(aliases.HasAliasHeader(newName));
                sameSection = sameSection || EqualsIgnoreCase(Trim(otherSection), Trim(newName));
            }
            break;
        }
        default:
            if (header < lines.size()) {
                FUZZ_CHECK(out == file);  // present: untouched
                return 0;
            }
            expected.push_back("[" + name + "]");
            FUZZ_CHECK(aliases.HasAliasHeader(name));
            break;
    }
    // Every other line is kept, byte for byte.
    FUZZ_CHECK(after == expected);
    // Values of other sections read as before.
    if (!sameSection && operation != 2) {
        FUZZ_CHECK(ReadProfileValue(out, otherSection, otherKey) == before);
    }
    return 0;
}
