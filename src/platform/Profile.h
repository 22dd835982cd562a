#pragma once
// Private-profile ("INI") files, shaped like the Windows functions of the same
// names and behaving as they do for everything the program relies on.
#include <cstdint>
#include <string>
#include <string_view>

namespace kvr::platform {

// Copies the value of key in section (or defaultValue when the file, the
// section or the key is missing) into buffer, cut at size - 1 bytes and NUL
// terminated. Returns the number of bytes copied, without the NUL.
std::uint32_t GetPrivateProfileString(std::string_view section, std::string_view key,
                                      std::string_view defaultValue, char* buffer,
                                      std::uint32_t size, const std::string& file);

// Sets key in section to value, creating the file, section or key as needed.
// Returns false when the file cannot be read or rewritten; the file is then
// left as it was.
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& file);

}  // namespace kvr::platform
