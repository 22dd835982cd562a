// The value decoder over arbitrary stored text, and the cipher's round trip.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "platform/Errors.h"
#include "store/Cencrpyt.h"

namespace {

bool IsLowerHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const kvr::CEncrpyt cipher;

    // Whatever a file holds decodes or raises the conversion error the user is
    // shown; a value never comes out longer than its length item says.
    const std::string stored(reinterpret_cast<const char*>(data), size);
    try {
        const std::string value = cipher.Decrypt(stored);
        FUZZ_CHECK(value.size() <= 255);
    } catch (const kvr::ConvertError&) {
    }

    // Every value the cipher accepts comes back, NUL bytes aside, whatever the
    // key; the stored text is lowercase hex items only.
    FuzzedDataProvider input(data, size);
    const std::string key = input.ConsumeRandomLengthString(40);
    const std::string value = input.ConsumeRemainingBytesAsString();
    if (!kvr::CEncrpyt::CanEncrypt(value)) {
        bool refused = false;
        try {
            cipher.Encrypt(key, value);
        } catch (const kvr::ConvertError&) {
            refused = true;
        }
        FUZZ_CHECK(refused);
        return 0;
    }
    const std::string encoded = cipher.Encrypt(key, value);
    const std::size_t keyLength =
        std::min(key.empty() ? 6 : key.size(), kvr::CEncrpyt::kMaxKeyLength);
    FUZZ_CHECK(encoded.size() == 4 + 2 * value.size() + 2 * std::min(keyLength, value.size()));
    FUZZ_CHECK(std::all_of(encoded.begin(), encoded.end(), IsLowerHex));
    std::string expected = value;
    expected.erase(std::remove(expected.begin(), expected.end(), '\0'), expected.end());
    FUZZ_CHECK(cipher.Decrypt(encoded) == expected);
    return 0;
}
