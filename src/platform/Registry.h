#pragma once
// The machine's registry, reduced to what the program uses: keys under
// HKEY_LOCAL_MACHINE opened with an access mask, typed values read whole, and
// values written whole. The calls mirror RegCreateKeyExA, RegOpenKeyExA,
// RegQueryValueExA, RegSetValueExA and RegCloseKey.
//
// Where the platform has no registry, the keys live in one machine-wide text
// file in the REGEDIT4 format (the format the Windows registry editor exports
// and imports): "REGEDIT4", a blank line, then "[HKEY_LOCAL_MACHINE\<key>]"
// sections of value lines. Lines the program does not change are kept byte for
// byte; each write rereads the file and replaces it atomically, so values that
// other programs keep there survive. A file that cannot be read or parsed is
// never rewritten: opens on it fail.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

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

// An open key, closed when the object goes away. A key that failed to open
// is still a valid object: every read through it finds nothing and every
// write fails, as calls through an invalid handle do.
class RegKey {
  public:
    RegKey() = default;
    ~RegKey() = default;
    RegKey(RegKey&& other) noexcept;
    RegKey& operator=(RegKey&& other) noexcept;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    bool IsOpen() const { return open_; }

    // The value's type and data (RegQueryValueExA). Nothing when the value
    // is missing, the key is not open or was opened without query rights,
    // or the store cannot be read or parsed at the moment.
    std::optional<RegValue> QueryValue(std::string_view name) const;

    // Sets a value, replacing one of the same name (RegSetValueExA). False,
    // with nothing changed, when the key is not open, was opened without
    // set rights, or the store cannot be rewritten.
    bool SetValue(std::string_view name, const RegValue& value);
    // A REG_SZ value holding text.
    bool SetStringValue(std::string_view name, std::string_view text);

    // RegCloseKey; the destructor does the same.
    void Close();

  private:
    friend class Registry;
    RegKey(std::string file, std::string path, std::uint32_t access)
        : file_(std::move(file)), path_(std::move(path)), access_(access), open_(true) {}

    std::string file_;
    std::string path_;  // the section name, "HKEY_LOCAL_MACHINE\..."
    std::uint32_t access_ = 0;
    bool open_ = false;
};

// Where the machine's registry file lives: /etc/kavrolis/registry.reg.
std::string DefaultRegistryFile();

// Keys under HKEY_LOCAL_MACHINE. Value names and key names match without
// regard to ASCII letter case, as in the Windows registry.
class Registry {
  public:
    explicit Registry(std::string file = DefaultRegistryFile());

    // RegCreateKeyExA: opens subKey ("SOFTWARE"), which comes into being
    // with its first value. Fails when the store cannot be read or parsed,
    // or, for a mask with write rights, when its location is not writable.
    RegKey CreateKey(std::string_view subKey, std::uint32_t access) const;
    // RegOpenKeyExA: opens subKey if it exists.
    RegKey OpenKey(std::string_view subKey, std::uint32_t access) const;

    const std::string& File() const { return file_; }

  private:
    std::string file_;
};

}  // namespace kvr::platform
