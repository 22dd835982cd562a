#pragma once
// The alias file as the command line sees it: whole aliases read and written
// as their four stored texts, names found as the editor finds them. Every call
// into store/ is made here.
#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "store/AliasFile.h"
#include "texts/Labels.h"

namespace kvr::cli {

// The four fields in the order they are loaded, saved and shown.
struct FieldInfo {
    const char* key;        // the key in KVRCFG
    const char* jsonName;   // the member in our JSON
    const char* option;     // the option of `set`
    const char16_t* label;  // for messages, as the editor names the field
};
inline constexpr std::array<FieldInfo, 4> kFields{{
    {"DatabaseName", "database", "--database", texts::kFieldLabels[0]},
    {"ServerName", "server", "--server", texts::kFieldLabels[1]},
    {"UserName", "user", "--user", texts::kFieldLabels[2]},
    {"PassWord", "password", "--password", texts::kFieldLabels[3]},
}};
inline constexpr std::size_t kPasswordField = 3;

static_assert(kFields.size() == kAliasFieldKeys.size());
using Fields = AliasFields;

// A rule of the alias file was not met; nothing was written. The text is the
// message the user is shown.
class Refusal : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class AliasStore {
  public:
    // workDir ends in the path separator. Tests pass a file system in memory.
    explicit AliasStore(std::string workDir,
                        platform::FileSystem& fs = platform::MachineFileSystem());

    std::string Path() const { return file_.AliasFilePath(); }

    // Whether KVRCFG is there; FileError when it cannot be read.
    bool Exists() const;
    // The bytes of KVRCFG; FileError "Cannot open file %s" when it is missing
    // or cannot be read.
    std::string Bytes() const;

    // Names in file order, as the editor lists them. A missing file has none
    // and is not created.
    std::vector<std::string> Names();
    // The alias's name as the file spells it, found ignoring letter case.
    std::optional<std::string> Find(std::string_view name);
    // As Find, raising a Refusal naming the alias when there is none.
    std::string Require(std::string_view name);

    // Every listed alias with its four decoded values, from one read; a
    // missing file has none. ConvertError, naming the alias, for a value that
    // does not decode.
    std::vector<std::pair<std::string, Fields>> ReadAll();

    // The four stored texts of an alias.
    Fields ReadStored(const std::string& alias);
    // The four decoded values; ConvertError for a value that does not decode.
    Fields ReadValues(const std::string& alias);
    // Encodes the four values under a fresh key stamp and writes them as one
    // step. Every value is checked before anything is written. Refused when
    // the alias is gone, or when `expected` is given and the stored texts are
    // no longer those (false then, nothing written).
    bool WriteValues(const std::string& alias, const Fields& values,
                     const Fields* expected = nullptr);

    // Many aliases at once, one locked step: the aliases of `deletions`
    // removed, then each of `aliases` added when missing and given its four
    // values. Every value is checked before anything is written. With
    // `expected`, only while the file still holds those bytes (false, nothing
    // written, when it does not).
    bool WriteMany(const std::vector<std::pair<std::string, Fields>>& aliases,
                   const std::vector<std::string>& deletions = {},
                   const std::string* expected = nullptr);

    // The editor's commands, with its refusals. Names are used as given.
    void Add(const std::string& name);
    void Rename(const std::string& oldName, const std::string& newName);
    void Delete(const std::string& name);

    // Refuses a name the editor could not manage (empty, a control character,
    // the root's text).
    static void CheckName(std::string_view name);
    // Refuses a value that cannot be stored.
    static void CheckValue(std::size_t field, std::string_view value);

  private:
    platform::FileSystem* fs_;
    AliasFile file_;
};

}  // namespace kvr::cli
