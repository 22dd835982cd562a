#include "platform/Registry.h"

namespace kvr::platform {

RegValue StringValue(RegType type, std::string_view text) {
    std::string data(text);
    data += '\0';
    return {type, std::move(data)};
}

std::optional<RegValue> RegKey::QueryValue(std::string_view name) const {
    return handle_ ? handle_->QueryValue(name) : std::nullopt;
}

bool RegKey::SetValue(std::string_view name, const RegValue& value) {
    return handle_ && handle_->SetValue(name, value);
}

void RegKey::Handle::SetValues(const std::vector<PlannedValue>& plan, const RegKey& reader) {
    for (const PlannedValue& planned : plan) {
        if (!planned.wanted || planned.wanted(reader.QueryValue(planned.name))) {
            SetValue(planned.name, planned.value);
        }
    }
}

void RegKey::SetValues(const std::vector<PlannedValue>& plan, const RegKey& reader) {
    if (handle_) {
        handle_->SetValues(plan, reader);
    }
}

bool RegKey::SetStringValue(std::string_view name, std::string_view text) {
    return SetValue(name, StringValue(RegType::Sz, text));
}

}  // namespace kvr::platform
