#pragma once
// The machine's registry, reduced to what the program uses: keys under
// HKEY_LOCAL_MACHINE opened with an access mask, typed values read whole, and
// values written whole. The calls mirror RegCreateKeyExA, RegOpenKeyExA,
// RegQueryValueExA, RegSetValueExA and RegCloseKey. Each backend opens its own
// keys; callers see only this interface.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kvr::platform {

// Value types with the numbers the Windows registry gives them. Any other
// number is a legal type too and is kept as it is.
enum class RegType : std::uint32_t {
    None = 0,
    Sz = 1,
    ExpandSz = 2,
    Binary = 3,
    Dword = 4,
    DwordBigEndian = 5,
    Link = 6,
    MultiSz = 7,
    ResourceList = 8,
    FullResourceDescriptor = 9,
    ResourceRequirementsList = 10,
    Qword = 11,
};

// Access masks, as the Windows registry defines them.
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kKeyNotify = 0x0010;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;

// A value's type and its data as the registry stores them: a REG_SZ or
// REG_EXPAND_SZ value's data is its ANSI text followed by one NUL byte; a
// REG_DWORD's is four bytes, least significant first.
struct RegValue {
    RegType type = RegType::None;
    std::string data;

    friend bool operator==(const RegValue&, const RegValue&) = default;
};

// The data of a string value: its text followed by the terminating NUL.
RegValue StringValue(RegType type, std::string_view text);

// A value to set, and the rule that decides from the value present (nothing
// when missing) whether to set it; without a rule it is always set.
struct PlannedValue {
    std::string name;
    RegValue value;
    std::function<bool(const std::optional<RegValue>& present)> wanted;
};

// An open key, closed when the object goes away. A key that failed to open
// is still a valid object: every read through it finds nothing and every
// write fails, as calls through an invalid handle do.
class RegKey {
  public:
    // What a backend keeps for an open key; destroying it closes the key.
    class Handle {
      public:
        virtual ~Handle() = default;
        virtual std::optional<RegValue> QueryValue(std::string_view name) const = 0;
        virtual bool SetValue(std::string_view name, const RegValue& value) = 0;
        // SetValues: here each value is read through `reader` and set at once;
        // a backend that can do better decides and sets all in one step.
        virtual void SetValues(const std::vector<PlannedValue>& plan, const RegKey& reader);
    };

    RegKey() = default;
    explicit RegKey(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

    bool IsOpen() const { return handle_ != nullptr; }

    // The value's type and data (RegQueryValueExA). Nothing when the value
    // is missing, the key is not open or was opened without query rights,
    // or the store cannot be read at the moment.
    std::optional<RegValue> QueryValue(std::string_view name) const;

    // Sets a value, replacing one of the same name (RegSetValueExA). False,
    // with nothing changed, when the key is not open, was opened without
    // set rights, or the store cannot be written.
    bool SetValue(std::string_view name, const RegValue& value);
    // A REG_SZ value holding text.
    bool SetStringValue(std::string_view name, std::string_view text);

    // Sets each planned value its rule asks for, deciding as close to the
    // write as the store allows, so that a value another program sets
    // meanwhile is judged as it stands: the file registry decides and writes
    // all in one locked rewrite (reading the file itself); the system's
    // registry reads each value through `reader` and sets it right after.
    // Values that cannot be written are left as they are.
    void SetValues(const std::vector<PlannedValue>& plan, const RegKey& reader);

    // RegCloseKey; the destructor does the same.
    void Close() { handle_.reset(); }

  private:
    std::unique_ptr<Handle> handle_;
};

// Keys under HKEY_LOCAL_MACHINE. Value names and key names match without
// regard to ASCII letter case.
class Registry {
  public:
    virtual ~Registry() = default;

    // RegCreateKeyExA: opens subKey ("SOFTWARE"), creating it if needed.
    // Fails (a key that is not open) without the rights the mask asks for.
    virtual RegKey CreateKey(std::string_view subKey, std::uint32_t access) const = 0;
    // RegOpenKeyExA: opens subKey if it exists.
    virtual RegKey OpenKey(std::string_view subKey, std::uint32_t access) const = 0;
};

// The machine's own registry: the system's on Windows, where a 32-bit
// program's keys are in its own view (WOW6432Node on 64-bit Windows); the
// file /etc/kavrolis/registry.reg elsewhere (see FileRegistry.h).
std::unique_ptr<Registry> MachineRegistry();

}  // namespace kvr::platform
