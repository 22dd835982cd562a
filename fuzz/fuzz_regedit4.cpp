// The REGEDIT4 reader and writer over arbitrary file bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzCheck.h"
#include "platform/RegEdit4.h"
#include "platform/Registry.h"

namespace {

using kvr::platform::RegEdit4;
using kvr::platform::RegType;
using kvr::platform::RegValue;

bool EqualsAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string key = "HKEY_LOCAL_MACHINE\\" + input.ConsumeRandomLengthString(32);
    const std::string name = input.ConsumeRandomLengthString(32);
    const RegValue value{static_cast<RegType>(input.ConsumeIntegralInRange<std::uint32_t>(0, 12)),
                         input.ConsumeRandomLengthString(64)};
    const std::string otherKey = "HKEY_LOCAL_MACHINE\\" + input.ConsumeRandomLengthString(32);
    const std::string otherName = input.ConsumeRandomLengthString(32);
    const std::string file = input.ConsumeRemainingBytesAsString();

    // Key names are checked before they reach the document (FileRegistry).
    if (key.find_first_of("[]\r\n") != std::string::npos) {
        return 0;
    }

    // A file the reader does not take is never rewritten: there is nothing
    // to write it from.
    std::optional<RegEdit4> doc = RegEdit4::Parse(file);
    if (!doc) {
        return 0;
    }
    // Read and written back unchanged, every byte stays.
    FUZZ_CHECK(doc->Bytes() == file);
    if (!doc->KeySound(key)) {
        return 0;  // a key with lines we do not understand is never written
    }

    const std::optional<RegValue> before = doc->FindValue(otherKey, otherName);
    const bool otherSound = doc->KeySound(otherKey);
    if (!doc->SetValue(key, name, value)) {
        FUZZ_CHECK(name.find_first_of("\r\n") != std::string::npos);
        FUZZ_CHECK(doc->Bytes() == file);
        return 0;
    }
    // The value reads back, also from the written bytes, and every other
    // value and key reads as before.
    FUZZ_CHECK(doc->FindValue(key, name) == value);
    std::optional<RegEdit4> again = RegEdit4::Parse(doc->Bytes());
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(again->KeySound(key));
    FUZZ_CHECK(again->FindValue(key, name) == value);
    if (!EqualsAscii(key, otherKey) || !EqualsAscii(name, otherName)) {
        FUZZ_CHECK(again->FindValue(otherKey, otherName) == before);
    }
    FUZZ_CHECK(again->KeySound(otherKey) == otherSound);
    return 0;
}
