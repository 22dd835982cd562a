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

    // Appends "[name]" unless a header equal to it ignoring letter case exists.
    void AddAliasHeader(const std::string& name);
    // Removes the header and the lines of its own section.
    void DeleteAliasSection(const std::string& name);
    // Replaces the first header "[oldName]" with "[newName]"; whether found.
    bool RenameAliasHeader(const std::string& oldName, const std::string& newName);
    // Whether a header "[name]" exists, ignoring letter case.
    bool HasAliasHeader(const std::string& name);

    // "" when the file, section or key is missing; cut at 2047 bytes.
    std::string ReadAliasField(const std::string& alias, const std::string& key);
    // Raises ProfileError "Unable to write to %s" when the write fails.
    void WriteAliasField(const std::string& alias, const std::string& key,
                         const std::string& stored);

private:
    std::string workDir_;
};

}  // namespace kvr
