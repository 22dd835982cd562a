#include "settings/PublishMachineSettings.h"

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/Registry.h"
#include "platform/Text.h"

namespace kvr {

namespace {

constexpr std::string_view kKey = "SOFTWARE";
constexpr std::string_view kWorkDirValue = "KVRPath";
// The sibling programs' port values, in the order they are checked.
constexpr std::array<std::string_view, 6> kPortValues = {
    "Plovar_UDP_Port",  "Vesk_UDP_Port",   "Temlor_UDP_Port",
    "Grunvel_UDP_Port", "Saumid_UDP_Port", "Faddokin_UDP_Port",
};

// The read handle asks for no more than it needs, stepping down when refused.
platform::RegKey OpenForReading(const platform::Registry& registry) {
    for (std::uint32_t access :
         {platform::kKeyRead, std::uint32_t{0x20009}, platform::kKeyQueryValue}) {
        platform::RegKey key = registry.OpenKey(kKey, access);
        if (key.IsOpen()) {
            return key;
        }
    }
    return {};
}

// Whether a port value still needs its empty text. Missing and empty values
// do; text values do when they hold nothing but blanks. A value of any other
// type is some other program's deliberate setting and counts as present.
bool NeedsPortValue(const std::optional<platform::RegValue>& value) {
    if (!value || value->data.empty()) {
        return true;
    }
    if (value->type != platform::RegType::Sz && value->type != platform::RegType::ExpandSz) {
        return false;
    }
    // The text ends at its first NUL; an expandable text is not expanded.
    std::string_view text = value->data;
    text = text.substr(0, text.find('\0'));
    return platform::Trim(text).empty();
}

}  // namespace

void PublishMachineSettings(const std::string& workDir, const platform::Registry& registry) {
    // Either handle may fail to open, without rights for instance; every
    // step runs all the same and a write through a closed handle just fails.
    platform::RegKey writeKey = registry.CreateKey(kKey, platform::kKeyWrite);
    platform::RegKey readKey = OpenForReading(registry);

    // One plan, decided value by value as close to its write as the store
    // allows: a port another program sets meanwhile is never blanked.
    std::vector<platform::PlannedValue> plan;
    plan.push_back({std::string(kWorkDirValue),
                    platform::StringValue(platform::RegType::Sz, workDir), nullptr});
    for (std::string_view name : kPortValues) {
        plan.push_back(
            {std::string(name), platform::StringValue(platform::RegType::Sz, ""), NeedsPortValue});
    }
    writeKey.SetValues(plan, readKey);
}

std::optional<std::string> PublishedWorkDir(const platform::Registry& registry) {
    auto value = OpenForReading(registry).QueryValue(kWorkDirValue);
    if (!value ||
        (value->type != platform::RegType::Sz && value->type != platform::RegType::ExpandSz)) {
        return std::nullopt;
    }
    std::string text = value->data.substr(0, value->data.find('\0'));
    if (text.empty()) {
        return std::nullopt;
    }
    return text;
}

}  // namespace kvr
