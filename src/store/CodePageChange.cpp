#include "store/CodePageChange.h"

#include <optional>

#include "platform/Errors.h"
#include "platform/Text.h"
#include "store/AliasFile.h"
#include "store/Cencrpyt.h"

namespace kvr {

namespace {

// The text the bytes read as under the code page, or nothing.
std::optional<std::u16string> Reading(std::string_view codePage, std::string_view bytes) {
    platform::SetAnsiCodePage(codePage);
    if (!platform::IsValidAnsi(bytes)) {
        return std::nullopt;
    }
    return platform::AnsiToUnicode(bytes);
}

bool Spoiled(std::string_view from, std::string_view to, std::string_view bytes) {
    const std::optional<std::u16string> before = Reading(from, bytes);
    return before && Reading(to, bytes) != before;
}

}  // namespace

std::vector<ChangedText> TextChangedByCodePage(const std::string& workDir, std::string_view from,
                                               std::string_view to) {
    const platform::CodePageRestorer restore;
    AliasFile file(workDir);
    std::vector<ChangedText> changed;
    const CEncrpyt cipher;
    platform::SetAnsiCodePage(from);  // names are found as under today's code page
    for (const std::string& name : file.ListExistingAliases()) {
        Reading(from, name);
        const std::string shown = platform::Utf16ToUtf8(platform::AnsiToUnicode(name));
        if (Spoiled(from, to, name)) {
            changed.push_back({shown, {}});
        }
        platform::SetAnsiCodePage(from);
        const AliasFields stored = file.ReadAliasFields(name);
        for (std::size_t i = 0; i < stored.size(); ++i) {
            std::string value;
            try {
                value = cipher.Decrypt(stored[i]);
            } catch (const ConvertError&) {
                continue;  // not a value of ours: nothing to read either way
            }
            if (Spoiled(from, to, value)) {
                changed.push_back({shown, kAliasFieldKeys[i]});
            }
        }
    }
    return changed;
}

}  // namespace kvr
