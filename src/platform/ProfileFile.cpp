// The profile functions, the same on every system: whole-file reads and atomic
// rewrites around the in-memory parser of ProfileText.cpp; writes are one
// EditFile.
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
    return WritePrivateProfileString(section, key, value, file, MachineFileSystem());
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& file, FileSystem& fs) {
    // Read and rewritten under the file's lock; a file that exists but cannot
    // be read is never replaced by one holding only the new value.
    bool written = false;
    EditStatus status = EditFile(fs, file, [&](const std::string* bytes) {
        auto updated = WriteProfileValue(bytes ? *bytes : std::string(), section, key, value);
        written = updated.has_value();
        return updated;
    });
    return written && status == EditStatus::Done;
}

}  // namespace kvr::platform
