#include "platform/MachineCodePage.h"

#include <string_view>

#include "platform/Text.h"

namespace kvr::platform {

std::optional<unsigned> ReadMachineCodePage(const Registry& registry) {
    RegKey key = registry.OpenKey(kCodePageKey, kKeyQueryValue);
    std::optional<RegValue> value = key.QueryValue(kCodePageValue);
    if (!value || value->type != RegType::Sz) {
        return std::nullopt;
    }
    std::string_view text = value->data;
    while (!text.empty() && text.back() == '\0') {
        text.remove_suffix(1);
    }
    if (text.empty() || text.size() > 5) {
        return std::nullopt;
    }
    unsigned number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    if (number == 0 || number > 65535) {
        return std::nullopt;
    }
    return number;
}

bool WriteMachineCodePage(const Registry& registry, unsigned codePage) {
    RegKey key = registry.CreateKey(kCodePageKey, kKeySetValue);
    return key.SetStringValue(kCodePageValue, std::to_string(codePage));
}

std::string CodePageName(unsigned codePage) {
    return codePage == 65001 ? "UTF-8" : "windows-" + std::to_string(codePage);
}

MachineCodePage UseMachineCodePage() {
    return UseMachineCodePage(*MachineRegistry());
}

MachineCodePage UseMachineCodePage(const Registry& registry) {
    std::optional<unsigned> codePage = ReadMachineCodePage(registry);
    if (!codePage) {
        return MachineCodePage::NotSet;
    }
    return SetAnsiCodePage(CodePageName(*codePage)) ? MachineCodePage::InForce
                                                    : MachineCodePage::Unknown;
}

}  // namespace kvr::platform
