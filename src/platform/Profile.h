#pragma once
// Private-profile ("INI") files over their bytes in memory, read and written
// as the Windows profile functions read and write them for everything the
// program relies on. The disk side is platform::EditFile's.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvr::platform {

// Lines end in CR, LF or CR LF (platform/Lines.h). Section and key names match ignoring letter case
// and surrounding blanks; the first section of a name is the one used. A key line is "key=value";
// the value read has its surrounding blanks and one pair of enclosing quotes
// (" or ') removed.

// The section name a line opens ("[name]", blanks allowed around the line and
// the name, the last "]" closing it), or nothing when it is not a header.
std::optional<std::string_view> ProfileSectionName(std::string_view line);

// The value of key in section, or nothing when the section or key is missing.
std::optional<std::string_view> ReadProfileValue(std::string_view file, std::string_view section,
                                                 std::string_view key);

// The values of several keys of one section, found in one pass over the file:
// nothing when the section is missing, else one entry per key, each what
// ReadProfileValue gives for it.
std::optional<std::vector<std::optional<std::string_view>>> ReadProfileValues(
    std::string_view file, std::string_view section, const std::vector<std::string_view>& keys);

// Every section of the file, repeated ones included, in file order, each with
// the values of the keys as ReadProfileValues gives them for its own lines:
// one pass over the file, for reading all sections at once.
struct ProfileSection {
    std::string_view name;
    std::vector<std::optional<std::string_view>> values;
};
std::vector<ProfileSection> ReadProfileSections(std::string_view file,
                                                const std::vector<std::string_view>& keys);

// The file's bytes with key in section set to value. A key present keeps its
// line; a new key goes right after the last non-blank line of the section; a
// new section goes at the end of the file. Lines written end in CR LF; every
// other byte of the file is kept as it was. Nothing when a name or the value
// cannot be written on one line (CR or LF anywhere, "=" in the key) or the
// section's header would not read back as its name.
std::optional<std::string> WriteProfileValue(std::string_view file, std::string_view section,
                                             std::string_view key, std::string_view value);

// The change WriteProfileValue makes, as one splice of the bytes: `erase`
// bytes at `at` give way to `insert`. For applying several changes to one
// buffer in place.
struct ProfileSplice {
    std::size_t at = 0;
    std::size_t erase = 0;
    std::string insert;
};
std::optional<ProfileSplice> ProfileValueSplice(std::string_view file, std::string_view section,
                                                std::string_view key, std::string_view value);

}  // namespace kvr::platform
