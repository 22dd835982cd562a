#pragma once
// The alias file KVRCFG: one section per alias, "[name]" followed by the key
// lines DatabaseName, ServerName, UserName and PassWord. Header operations load
// the whole file as lines and rewrite it atomically; field reads and writes go
// through the platform's profile functions one value at a time. Values pass
// through unchanged: encoding is the caller's business. No file is held open
// between calls.
#include <string>
#include <vector>

namespace kvr {

class AliasFile {
  public:
    // workDir ends in the platform's path separator.
    explicit AliasFile(std::string workDir);

    std::string AliasFilePath() const;

    // Names of every line holding "[" and "]", in file order, each the line
    // without its first and last byte. Creates an empty file when none exists;
    // raises FileError "Cannot open file %s" when one exists but cannot be
    // read, "Cannot create file %s" when it cannot be created.
    std::vector<std::string> ListAliases();

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
    // whether found. Rewrites the file also when it is not. Raises NameError,
    // with nothing read or written, for a new name that CheckAliasName refuses.
    bool RenameAliasHeader(const std::string& oldName, const std::string& newName);
    // Whether a header "[name]" exists; false for a missing file.
    bool HasAliasHeader(const std::string& name);

    // "" when the file, section or key is missing; cut at 2047 bytes.
    std::string ReadAliasField(const std::string& alias, const std::string& key);
    // Raises ProfileError "Unable to write to %s" when the write fails.
    void WriteAliasField(const std::string& alias, const std::string& key,
                         const std::string& stored);

  private:
    // Raises FileError "Cannot open file %s" unless the file can be read.
    std::vector<std::string> LoadLines() const;
    // Rewrites the file atomically; FileError "Cannot create file %s".
    void SaveLines(const std::vector<std::string>& lines) const;

    std::string workDir_;
};

}  // namespace kvr
