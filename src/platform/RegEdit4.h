#pragma once
// The REGEDIT4 text format (what the Windows registry editor exports and
// imports), parsed and edited as bytes in memory: "REGEDIT4", a blank line,
// then "[HKEY_LOCAL_MACHINE\<key>]" sections of value lines ("name"="text",
// dword:, hex:, hex(n):). Lines an edit does not touch keep their bytes.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace kvr::platform {

class RegEdit4 {
  public:
    // A document holding no key yet, with CR LF line ends.
    static RegEdit4 Empty();
    // Nothing when the bytes do not start with the format's signature line.
    static std::optional<RegEdit4> Parse(std::string_view bytes);

    RegEdit4(RegEdit4&&) noexcept;
    RegEdit4& operator=(RegEdit4&&) noexcept;
    ~RegEdit4();

    // Keys are full paths ("HKEY_LOCAL_MACHINE\SOFTWARE"); key and value
    // names match without regard to ASCII letter case.
    bool KeyExists(std::string_view path) const;
    // Whether every line of the key was understood (a key with damaged lines
    // must not be rewritten: what they hold would be lost).
    bool KeySound(std::string_view path) const;
    // The value that counts when a name appears more than once: the last, as
    // on import.
    std::optional<RegValue> FindValue(std::string_view path, std::string_view name) const;
    // Replaces the value in its line, or adds it after the key's last value,
    // or adds the key at the end. False, with nothing changed, when the name
    // cannot be written in the format (CR or LF in it).
    bool SetValue(std::string_view path, std::string_view name, const RegValue& value);

    std::string Bytes() const;

    struct Entry;

  private:
    RegEdit4();
    std::optional<std::size_t> FindValueIndex(std::string_view path, std::string_view name) const;
    void EndLine(std::size_t i);

    std::vector<Entry> entries_;
    std::string eol_ = "\r\n";
};

}  // namespace kvr::platform
