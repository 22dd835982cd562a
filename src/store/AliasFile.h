#pragma once
// The alias file KVRCFG: one section per alias, "[name]" followed by the key
// lines of kAliasFieldKeys. Header operations treat the file as lines; field
// reads and writes use the profile rules (platform/Profile.h) on the file's
// bytes. Every change is one platform::EditFile: read under the file's lock,
// changed in memory, replaced atomically, so changes made at the same time by
// other processes are never lost. Values pass through unchanged: encoding is
// the caller's business. No file is held open between calls.
//
// Failures beyond the ones each call names: a file that another program keeps
// locked for the whole wait (platform::kLockWait) or that a rewrite could not
// give back to its owner and group fails with the call's message followed by
// the reason; a file without any write permission fails with the call's
// message. The file is then left as it was.
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Files.h"

namespace kvr {

// The fields of an alias, in the order they are loaded, saved and laid out in
// a new section.
inline constexpr std::array<const char*, 4> kAliasFieldKeys{"DatabaseName", "ServerName",
                                                            "UserName", "PassWord"};
// One text per field of kAliasFieldKeys, in its order.
using AliasFields = std::array<std::string, 4>;

// A field read gives at most this many bytes, as the profile functions do
// with the 2048-byte buffer the file's other readers use.
inline constexpr std::size_t kFieldReadLimit = 2047;

// The name the alias list shows for a line: any line holding both "[" and
// "]", wherever they are, lists the bytes between its first and last byte
// (the file's readers rely on this); nothing for other lines.
std::optional<std::string_view> ListedAliasName(std::string_view line);

// The first of the plain values that the cipher cannot store (too long), or
// nothing when all four fit. A save checks this before writing anything.
std::optional<std::size_t> FirstUnfitValue(const AliasFields& plain);

class AliasFile {
  public:
    // workDir ends in the platform's path separator. Tests pass a file system
    // that fails on demand.
    explicit AliasFile(std::string workDir,
                       platform::FileSystem& fs = platform::MachineFileSystem());

    std::string AliasFilePath() const;

    // Names of every line holding "[" and "]", in file order, each the line
    // without its first and last byte. Creates an empty file when none exists;
    // raises FileError "Cannot open file %s" when one exists but cannot be
    // read, "Cannot create file %s" when it cannot be created.
    std::vector<std::string> ListAliases();
    // The same, except that a missing file lists nothing and stays missing:
    // for following changes that others make to the file.
    std::vector<std::string> ListExistingAliases();

    // Header lookup compares whole lines with "[name]" ignoring letter case;
    // the first equal line is the header. These raise FileError "Cannot open
    // file %s" when the file cannot be read (a missing one included) and
    // "Cannot create file %s" when it cannot be rewritten; the file is then
    // left as it was.

    // Appends "[name]" unless the header exists; then the file is untouched.
    // Raises NameError, with nothing read or written, for a name that
    // CheckAliasName refuses.
    void AddAliasHeader(const std::string& name);
    // Removes the header and the lines of its own section: every line up to
    // the next line the profile functions read as a section header. Rewrites
    // the file (line ends as CR LF) also when the header is missing.
    void DeleteAliasSection(const std::string& name);
    // Replaces the header "[oldName]" with "[newName]", keeping its key lines;
    // whether found and renamed. Rewrites the file also when it is not found.
    // A newName that another header carries is refused (false, the file
    // untouched): one of the two sections would become unreachable. A change
    // of letter case alone renames. Raises NameError, with nothing read or
    // written, for a new name that CheckAliasName refuses.
    bool RenameAliasHeader(const std::string& oldName, const std::string& newName);
    enum class RenameResult { Renamed, Missing, NameTaken };
    // The same, saying why nothing was renamed.
    RenameResult RenameAlias(const std::string& oldName, const std::string& newName);
    // Whether a header "[name]" exists; false for a missing file.
    bool HasAliasHeader(const std::string& name);

    // "" when the file, section or key is missing; cut at 2047 bytes. Raises
    // FileError "Cannot open file %s" when the file exists but cannot be read.
    std::string ReadAliasField(const std::string& alias, const std::string& key);
    // Raises ProfileError "Unable to write to %s" when the write fails.
    // Creates the file, the section or the key as needed.
    void WriteAliasField(const std::string& alias, const std::string& key,
                         const std::string& stored);

    // The four stored texts of kAliasFieldKeys from one read of the file, each
    // exactly what ReadAliasField gives.
    AliasFields ReadAliasFields(const std::string& alias);
    // Every listed alias (as ListExistingAliases lists them) with its four
    // stored texts (as ReadAliasFields reads them), from one read of the file.
    // With `decode`, each text is what decode makes of the alias's stored text
    // (taken straight from the file's bytes, not copied first).
    using Decoder = std::function<std::string(const std::string& alias, std::string_view stored)>;
    std::vector<std::pair<std::string, AliasFields>> ReadAllAliases(const Decoder& decode = {});
    // One rewrite with the bytes of the four WriteAliasField calls in field
    // order; on failure nothing is written. Errors as WriteAliasField.
    void WriteAliasFields(const std::string& alias, const AliasFields& stored);

    // Many aliases in one locked rewrite (an import): for each in turn, its
    // header appended unless one exists, as AddAliasHeader does, then its four
    // stored texts written, as WriteAliasFields does; the bytes are those of
    // these calls in that order. Creates the file when missing. Raises
    // NameError for a name CheckAliasName refuses and ProfileError "Unable to
    // write to %s" when the rewrite fails; nothing is written then. The
    // sections of `deletions` go first, in the same rewrite, every section of
    // each name as DeleteAliasSection removes one. With `expected`, nothing
    // is written, and false returned, unless the file still holds exactly
    // those bytes (a missing file counts as empty): for a caller that planned
    // the change from what it read.
    bool WriteAliases(const std::vector<std::pair<std::string, AliasFields>>& aliases,
                      const std::vector<std::string>& deletions = {},
                      const std::string* expected = nullptr);

    enum class SaveResult { Saved, Changed, Missing };
    // WriteAliasFields for an alias that must exist: Missing, with nothing
    // written, when no section of that name is found. With `expected`, also
    // Changed, nothing written, unless the stored texts are still those (what
    // the caller loaded); the check and the write are one locked step.
    SaveResult SaveAliasFields(const std::string& alias, const AliasFields& stored,
                               const AliasFields* expected = nullptr);

  private:
    // The file's bytes; false when it is missing, FileError when unreadable.
    bool ReadExisting(std::string& bytes);
    template <typename Change>
    void EditLines(Change change);
    template <typename Change>
    void EditBytes(Change change);

    std::string workDir_;
    platform::FileSystem* fs_;
};

}  // namespace kvr
