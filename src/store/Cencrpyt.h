#pragma once
// The value cipher. Every field value kept in the alias file is stored as a
// run of two-digit lowercase hex items:
//   hex(key length + 24), hex(value length + 16),
//   then per value byte hex(byte + 16), each followed, while the key lasts,
//   by one key byte hex(byte + 24) as filler.
// Bytes are taken unsigned and each item is (byte + offset) mod 256, so every
// item has exactly two digits. Decrypt needs no key: it skips the filler by
// position.
#include <cstddef>
#include <string>
#include <string_view>

namespace kvr {

class CEncrpyt {
  public:
    // Longest value the two-digit length item can describe.
    static constexpr std::size_t kMaxValueLength = 239;
    // Longest key; longer keys are cut.
    static constexpr std::size_t kMaxKeyLength = 19;

    // Raises ConvertError for a value over kMaxValueLength bytes.
    std::string Encrypt(std::string_view key, std::string_view value) const;
    // Raises ConvertError ("'0x..' is not a valid integer value") for a value
    // item that is missing or not hexadecimal.
    std::string Decrypt(std::string_view stored) const;

    // Encrypts a new value under the key that `stored` was written with, so
    // that the value keeps its stamp. The stored text shows the key only as
    // far as its value was long; when the new value needs more of it than
    // that, or `stored` holds no key, it is encrypted under `freshKey`
    // (`tookFresh` then set). Raises ConvertError as Encrypt does.
    std::string ReEncrypt(std::string_view stored, std::string_view value,
                          std::string_view freshKey, bool* tookFresh = nullptr) const;

    // Whether Encrypt accepts a value of this many bytes.
    static bool CanEncrypt(std::string_view value) { return value.size() <= kMaxValueLength; }
};

}  // namespace kvr
