// The profile functions, the same on every system: whole-file reads and atomic
// rewrites
// around the in-memory parser of ProfileText.cpp.
#include <algorithm>
#include <cstring>

#include "platform/Files.h"
#include "platform/Profile.h"

namespace kvr::platform {

std::uint32_t GetPrivateProfileString(std::string_view section, std::string_view key,
                                      std::string_view defaultValue, char* buffer,
                                      std::uint32_t size, const std::string& file) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    std::string bytes;
    std::string_view value = defaultValue;
    if (ReadWholeFile(file, bytes) == ReadStatus::Ok) {
        if (auto found = ReadProfileValue(bytes, section, key)) {
            value = *found;
        }
    }
    size_t n = std::min<size_t>(value.size(), size - 1);
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return static_cast<std::uint32_t>(n);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& file) {
    std::string bytes;
    // A file that exists but cannot be read must never be replaced by one
    // holding only the new value.
    if (ReadWholeFile(file, bytes) == ReadStatus::Unreadable) {
        return false;
    }
    auto updated = WriteProfileValue(bytes, section, key, value);
    return updated && ReplaceFile(file, *updated);
}

}  // namespace kvr::platform
