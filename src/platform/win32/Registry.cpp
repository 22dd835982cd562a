// The system's registry. Keys open under HKEY_LOCAL_MACHINE in the program's
// own view: a 32-bit program's SOFTWARE is WOW6432Node on 64-bit Windows,
// where the suite's other 32-bit programs read it.
#include <windows.h>

#include <string>

#include "platform/Registry.h"

namespace kvr::platform {

namespace {

class SystemKey : public RegKey::Handle {
  public:
    explicit SystemKey(HKEY key) : key_(key) {}
    ~SystemKey() override { ::RegCloseKey(key_); }
    SystemKey(const SystemKey&) = delete;
    SystemKey& operator=(const SystemKey&) = delete;

    std::optional<RegValue> QueryValue(std::string_view name) const override {
        std::string valueName(name);
        std::string data(256, '\0');
        for (;;) {
            DWORD type = 0;
            DWORD size = static_cast<DWORD>(data.size());
            LONG status = ::RegQueryValueExA(key_, valueName.c_str(), nullptr, &type,
                                             reinterpret_cast<BYTE*>(data.data()), &size);
            if (status == ERROR_MORE_DATA) {
                // Another program may grow the value meanwhile: ask again.
                data.assign(size, '\0');
                continue;
            }
            if (status != ERROR_SUCCESS) {
                return std::nullopt;
            }
            data.resize(size);
            return RegValue{static_cast<RegType>(type), std::move(data)};
        }
    }

    bool SetValue(std::string_view name, const RegValue& value) override {
        std::string valueName(name);
        return ::RegSetValueExA(key_, valueName.c_str(), 0, static_cast<DWORD>(value.type),
                                reinterpret_cast<const BYTE*>(value.data.data()),
                                static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
    }

  private:
    HKEY key_;
};

class SystemRegistry : public Registry {
  public:
    RegKey CreateKey(std::string_view subKey, std::uint32_t access) const override {
        HKEY key = nullptr;
        if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, std::string(subKey).c_str(), 0, nullptr,
                              REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                              nullptr) != ERROR_SUCCESS) {
            return {};
        }
        return RegKey(std::make_unique<SystemKey>(key));
    }

    RegKey OpenKey(std::string_view subKey, std::uint32_t access) const override {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, std::string(subKey).c_str(), 0, access, &key) !=
            ERROR_SUCCESS) {
            return {};
        }
        return RegKey(std::make_unique<SystemKey>(key));
    }
};

}  // namespace

std::unique_ptr<Registry> MachineRegistry() {
    return std::make_unique<SystemRegistry>();
}

}  // namespace kvr::platform
