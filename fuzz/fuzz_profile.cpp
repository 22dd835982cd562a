// The profile reader and writer over arbitrary file bytes, in both code pages.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "platform/Profile.h"
#include "platform/Text.h"

namespace {

using kvr::platform::ReadProfileValue;
using kvr::platform::Trim;

// What reading "key=value" gives: blanks around it and one pair of enclosing
// quotes removed.
std::string_view ReadsAs(std::string_view value) {
    value = Trim(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

bool OneLine(std::string_view text) {
    return text.find_first_of("\r\n") == std::string_view::npos;
}

// Line ends in a run of bytes; CR LF counts once.
std::size_t LineEnds(std::string_view bytes) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' ||
            (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) {
            ++count;
        }
    }
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    kvr::platform::SetAnsiCodePage(kvr::fuzz::kCodePages[input.ConsumeBool() ? 1 : 0]);
    const std::string section = input.ConsumeRandomLengthString(64);
    const std::string key = input.ConsumeRandomLengthString(64);
    const std::string value = input.ConsumeRandomLengthString(256);
    const std::string otherSection = input.ConsumeRandomLengthString(64);
    const std::string otherKey = input.ConsumeRandomLengthString(64);
    const std::string file = input.ConsumeRemainingBytesAsString();

    const std::optional<std::string_view> before = ReadProfileValue(file, otherSection, otherKey);
    // The one-pass read of several keys finds what reading each key finds.
    if (auto values = kvr::platform::ReadProfileValues(file, otherSection, {otherKey, key})) {
        FUZZ_CHECK((*values)[0] == before);
        FUZZ_CHECK((*values)[1] == ReadProfileValue(file, otherSection, key));
    } else {
        FUZZ_CHECK(!before && !ReadProfileValue(file, otherSection, key));
    }
    // The walk over all sections gives each section's name the values that
    // reading that name finds: those of its first section.
    std::set<std::u16string> seen;
    for (const auto& read : kvr::platform::ReadProfileSections(file, {key})) {
        if (seen.insert(kvr::platform::FoldCase(read.name)).second) {
            FUZZ_CHECK(read.values[0] == ReadProfileValue(file, read.name, key));
        }
    }
    const std::optional<std::string> written =
        kvr::platform::WriteProfileValue(file, section, key, value);
    if (!written) {
        // Refused only when the header or the key line could not be written
        // so that it reads back.
        const std::string keyLine = std::string(Trim(key)) + "=" + value;
        const std::string header = "[" + std::string(Trim(section)) + "]";
        FUZZ_CHECK(!OneLine(section) || !OneLine(key) || !OneLine(value) ||
                   Trim(key).find('=') != std::string_view::npos ||
                   kvr::platform::ProfileSectionName(keyLine) ||
                   kvr::platform::ProfileSectionName(header) != Trim(section));
        return 0;
    }

    // The value reads back.
    const std::optional<std::string_view> after = ReadProfileValue(*written, section, key);
    FUZZ_CHECK(after && *after == ReadsAs(value));

    // Every other value reads as before.
    const bool sameValue = kvr::platform::EqualsIgnoreCase(Trim(section), Trim(otherSection)) &&
                           kvr::platform::EqualsIgnoreCase(Trim(key), Trim(otherKey));
    if (!sameValue) {
        FUZZ_CHECK(ReadProfileValue(*written, otherSection, otherKey) == before);
    }

    // The rest of the file keeps its bytes: between the unchanged head and
    // tail at most one line went, and at most a header, a key line and the
    // end of a last line that had none came.
    const std::string_view out = *written;
    std::size_t head = 0;
    while (head < file.size() && head < out.size() && file[head] == out[head]) {
        ++head;
    }
    std::size_t tail = 0;
    while (tail < file.size() - head && tail < out.size() - head &&
           file[file.size() - 1 - tail] == out[out.size() - 1 - tail]) {
        ++tail;
    }
    FUZZ_CHECK(LineEnds(std::string_view(file).substr(head, file.size() - head - tail)) <= 1);
    FUZZ_CHECK(LineEnds(out.substr(head, out.size() - head - tail)) <= 3);
    return 0;
}
