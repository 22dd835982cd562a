// Header operations treat KVRCFG as a list of lines: lines end in CR, LF or
// CR LF when read and in CR LF when written, and every byte of a line is
// kept, NUL included. Field access is the platform's profile rules over the
// same bytes, so both views must agree on where a section ends:
// ProfileSectionName decides.
#include "store/AliasFile.h"

#include <set>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "platform/Errors.h"
#include "platform/Lines.h"
#include "platform/Profile.h"
#include "platform/Text.h"
#include "store/AliasName.h"
#include "store/Cencrpyt.h"
#include "texts/FileErrors.h"

namespace kvr {

namespace {

using platform::EditStatus;
using platform::ReadStatus;

std::string FieldText(std::optional<std::string_view> value) {
    return value ? std::string(value->substr(0, kFieldReadLimit)) : std::string();
}

// The message for a failed rewrite: the call's own, with the reason where the
// call's message alone would send the user looking in the wrong place.
std::vector<std::string_view> FieldKeys() {
    return {kAliasFieldKeys.begin(), kAliasFieldKeys.end()};
}

// The bytes with the four fields written in field order, as four profile
// writes would leave them; nothing when one cannot be written.
std::optional<std::string> WithFields(std::string_view file, const std::string& alias,
                                      const AliasFields& stored) {
    // One buffer changed in place: a large file is copied once, not once per
    // field.
    size_t room = file.size() + alias.size() + 16;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        room += std::string_view(kAliasFieldKeys[i]).size() + stored[i].size() + 8;
    }
    std::string bytes;
    bytes.reserve(room);
    bytes.assign(file);
    for (std::size_t i = 0; i < stored.size(); ++i) {
        auto splice = platform::ProfileValueSplice(bytes, alias, kAliasFieldKeys[i], stored[i]);
        if (!splice) {
            return std::nullopt;
        }
        bytes.replace(splice->at, splice->erase, splice->insert);
    }
    return bytes;
}

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

std::vector<std::string> SplitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    platform::ForEachLine(bytes,
                          [&](const platform::TextLine& line) { lines.emplace_back(line.text); });
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    size_t size = 0;
    for (const auto& line : lines) {
        size += line.size() + 2;
    }
    std::string bytes;
    bytes.reserve(size);
    for (const auto& line : lines) {
        bytes.append(line).append("\r\n");
    }
    return bytes;
}

std::string HeaderOf(const std::string& name) {
    return "[" + name + "]";
}

// Header operations never take a name that would break the file or the tree.
void RefuseUnusableName(const std::string& name) {
    NameProblem problem = CheckAliasName(name);
    if (problem != NameProblem::None) {
        throw NameError(problem);
    }
}

// Field writes reach the section the profile functions find, which for a name
// with a blank at either end is the one of the name without it: refused. Any
// other name already in the file stays writable.
void RefuseTrimmedAway(const std::string& name) {
    if (CheckAliasName(name) == NameProblem::SurroundingBlank) {
        throw NameError(NameProblem::SurroundingBlank);
    }
}

// The first line equal to "[name]" ignoring letter case, or lines.size().
size_t IndexOf(const std::vector<std::string>& lines, const std::string& name) {
    const platform::IgnoreCaseText header(HeaderOf(name));
    for (size_t i = 0; i < lines.size(); ++i) {
        if (header.Matches(lines[i])) {
            return i;
        }
    }
    return lines.size();
}

// Removes the section of the first header "[name]": the whole section,
// however many lines a hand edit left in it, and nothing of the next one.
// Whether there was one.
bool EraseSection(std::vector<std::string>& lines, const std::string& name) {
    size_t header = IndexOf(lines, name);
    if (header >= lines.size()) {
        return false;
    }
    size_t end = header + 1;
    while (end < lines.size() && !platform::ProfileSectionName(lines[end])) {
        ++end;
    }
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(header),
                lines.begin() + static_cast<std::ptrdiff_t>(end));
    return true;
}

// The names ListAliases gives for the file's bytes.
std::vector<std::string> NamesOf(std::string_view bytes) {
    // Only lines with a "[" are listed, so the scan jumps from one to the next.
    std::vector<std::string> names;
    const std::string_view text = bytes;
    size_t from = 0;
    while (from < text.size()) {
        size_t bracket = text.find('[', from);
        if (bracket == std::string_view::npos) {
            break;
        }
        size_t begin = bracket;
        while (begin > from && !IsLineEnd(text[begin - 1])) {
            --begin;
        }
        const platform::TextLine line = platform::LineAt(text, begin);
        if (auto name = ListedAliasName(line.text)) {
            names.emplace_back(*name);
        }
        from = line.begin + line.text.size() + 1;
    }
    return names;
}

// The file's bytes; false for a missing file, FileError for one that cannot
// be read.
bool ReadIfThere(platform::FileSystem& fs, const std::string& path, std::string& bytes) {
    switch (platform::ReadWholeFile(fs, path, bytes)) {
        case ReadStatus::Missing:
            return false;
        case ReadStatus::Unreadable:
            throw FileError(texts::WithReadCause("Cannot open file " + path, path));
        case ReadStatus::Ok:
            break;
    }
    return true;
}

}  // namespace

std::optional<std::string_view> ListedAliasName(std::string_view line) {
    if (line.find('[') == line.npos || line.find(']') == line.npos) {
        return std::nullopt;
    }
    return line.substr(1, line.size() - 2);
}

std::optional<std::size_t> FirstUnfitValue(const AliasFields& plain) {
    for (std::size_t i = 0; i < plain.size(); ++i) {
        if (!CEncrpyt::CanEncrypt(plain[i])) {
            return i;
        }
    }
    return std::nullopt;
}

AliasFile::AliasFile(std::string workDir, platform::FileSystem& fs)
    : workDir_(std::move(workDir)), fs_(&fs) {}

std::string AliasFile::AliasFilePath() const {
    return workDir_ + "KVRCFG";
}

template <typename Change>
void AliasFile::EditLines(Change change) {
    const std::string path = AliasFilePath();
    EditStatus status =
        platform::EditFile(*fs_, path, [&](const std::string* bytes) -> std::optional<std::string> {
            if (bytes == nullptr) {
                throw FileError(texts::WithReadCause("Cannot open file " + path, path));
            }
            std::vector<std::string> lines = SplitLines(*bytes);
            if (!change(lines)) {
                return std::nullopt;
            }
            return JoinLines(lines);
        });
    if (status == EditStatus::Unreadable) {
        throw FileError(texts::WithReadCause("Cannot open file " + path, path));
    }
    if (status != EditStatus::Done) {
        throw FileError(texts::WithCause("Cannot create file " + path, path, status));
    }
}

template <typename Change>
void AliasFile::EditBytes(Change change) {
    const std::string path = AliasFilePath();
    EditStatus status =
        platform::EditFile(*fs_, path, [&](const std::string* bytes) -> std::optional<std::string> {
            static const std::string kMissing;
            return change(bytes != nullptr ? *bytes : kMissing);
        });
    if (status != EditStatus::Done) {
        throw ProfileError(texts::WithCause("Unable to write to " + path, path, status));
    }
}

std::vector<std::string> AliasFile::ListAliases() {
    const std::string path = AliasFilePath();
    std::string bytes;
    switch (platform::ReadWholeFile(*fs_, path, bytes)) {
        case ReadStatus::Missing: {
            // Created empty, unless someone else creates it first: then theirs
            // is listed.
            EditStatus status = platform::EditFile(
                *fs_, path, [&](const std::string* existing) -> std::optional<std::string> {
                    if (existing != nullptr) {
                        bytes = *existing;
                        return std::nullopt;
                    }
                    bytes.clear();
                    return std::string();
                });
            if (status == EditStatus::Unreadable) {
                throw FileError(texts::WithReadCause("Cannot open file " + path, path));
            }
            if (status != EditStatus::Done) {
                throw FileError(texts::WithCause("Cannot create file " + path, path, status));
            }
            break;
        }
        case ReadStatus::Unreadable:
            // Not a missing file: creating an empty one would lose it.
            throw FileError(texts::WithReadCause("Cannot open file " + path, path));
        case ReadStatus::Ok:
            break;
    }
    return NamesOf(bytes);
}

std::vector<std::string> AliasFile::ListExistingAliases() {
    std::string bytes;
    if (!ReadIfThere(*fs_, AliasFilePath(), bytes)) {
        return {};
    }
    return NamesOf(bytes);
}

void AliasFile::AddAliasHeader(const std::string& name) {
    RefuseUnusableName(name);
    EditLines([&](std::vector<std::string>& lines) {
        if (IndexOf(lines, name) < lines.size()) {
            return false;
        }
        lines.push_back(HeaderOf(name));
        return true;
    });
}

void AliasFile::DeleteAliasSection(const std::string& name) {
    EditLines([&](std::vector<std::string>& lines) {
        EraseSection(lines, name);
        return true;
    });
}

bool AliasFile::RenameAliasHeader(const std::string& oldName, const std::string& newName) {
    return RenameAlias(oldName, newName) == RenameResult::Renamed;
}

AliasFile::RenameResult AliasFile::RenameAlias(const std::string& oldName,
                                               const std::string& newName) {
    RefuseUnusableName(newName);
    RenameResult result = RenameResult::Missing;
    EditLines([&](std::vector<std::string>& lines) {
        size_t header = IndexOf(lines, oldName);
        size_t taken = IndexOf(lines, newName);
        if (header < lines.size() && taken < lines.size() && taken != header) {
            result = RenameResult::NameTaken;
            return false;
        }
        result = RenameResult::Missing;
        if (header < lines.size()) {
            lines[header] = HeaderOf(newName);
            result = RenameResult::Renamed;
        }
        return true;
    });
    return result;
}

bool AliasFile::ReadExisting(std::string& bytes) {
    return ReadIfThere(*fs_, AliasFilePath(), bytes);
}

bool AliasFile::HasAliasHeader(const std::string& name) {
    std::string bytes;
    if (!ReadIfThere(*fs_, AliasFilePath(), bytes)) {
        return false;
    }
    std::vector<std::string> lines = SplitLines(bytes);
    return IndexOf(lines, name) < lines.size();
}

std::string AliasFile::ReadAliasField(const std::string& alias, const std::string& key) {
    std::string bytes;
    if (!ReadExisting(bytes)) {
        return {};
    }
    return FieldText(platform::ReadProfileValue(bytes, alias, key));
}

void AliasFile::WriteAliasField(const std::string& alias, const std::string& key,
                                const std::string& stored) {
    RefuseTrimmedAway(alias);
    EditBytes([&](const std::string& bytes) {
        auto updated = platform::WriteProfileValue(bytes, alias, key, stored);
        if (!updated) {
            throw ProfileError("Unable to write to " + AliasFilePath());
        }
        return updated;
    });
}

AliasFields AliasFile::ReadAliasFields(const std::string& alias) {
    AliasFields fields;
    std::string bytes;
    if (!ReadExisting(bytes)) {
        return fields;
    }
    if (auto values = platform::ReadProfileValues(bytes, alias, FieldKeys())) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            fields[i] = FieldText((*values)[i]);
        }
    }
    return fields;
}

std::vector<std::pair<std::string, AliasFields>> AliasFile::ReadAllAliases(const Decoder& decode) {
    std::string bytes;
    if (!ReadIfThere(*fs_, AliasFilePath(), bytes)) {
        return {};
    }
    // Each listed name reads the first section the profile functions find for
    // it: the first of its folding.
    const std::vector<platform::ProfileSection> sections =
        platform::ReadProfileSections(bytes, FieldKeys());
    std::unordered_map<std::u16string, const platform::ProfileSection*> first;
    first.reserve(sections.size());
    std::vector<bool> firstOfFolding(sections.size());
    for (std::size_t s = 0; s < sections.size(); ++s) {
        firstOfFolding[s] =
            first.emplace(platform::FoldCase(sections[s].name), &sections[s]).second;
    }
    std::vector<std::string> names = NamesOf(bytes);
    std::vector<std::pair<std::string, AliasFields>> aliases;
    aliases.reserve(names.size());
    for (std::size_t n = 0; n < names.size(); ++n) {
        std::string& name = names[n];
        // Usually the n-th name heads the n-th section, the first of its
        // folding: then that is the section, without folding the name.
        const platform::ProfileSection* section = nullptr;
        if (n < sections.size() && firstOfFolding[n] && platform::Trim(name) == sections[n].name) {
            section = &sections[n];
        } else if (auto found = first.find(platform::FoldCase(platform::Trim(name)));
                   found != first.end()) {
            section = found->second;
        }
        AliasFields fields;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const std::optional<std::string_view> stored =
                section != nullptr ? section->values[i] : std::nullopt;
            if (decode) {
                fields[i] = decode(name, stored ? stored->substr(0, kFieldReadLimit) : "");
            } else {
                fields[i] = FieldText(stored);
            }
        }
        aliases.emplace_back(std::move(name), std::move(fields));
    }
    return aliases;
}

void AliasFile::WriteAliasFields(const std::string& alias, const AliasFields& stored) {
    RefuseTrimmedAway(alias);
    EditBytes([&](const std::string& bytes) {
        auto updated = WithFields(bytes, alias, stored);
        if (!updated) {
            throw ProfileError("Unable to write to " + AliasFilePath());
        }
        return updated;
    });
}

AliasFile::SaveResult AliasFile::SaveAliasFields(const std::string& alias,
                                                 const AliasFields& stored,
                                                 const AliasFields* expected) {
    RefuseTrimmedAway(alias);
    SaveResult result = SaveResult::Missing;
    EditBytes([&](const std::string& bytes) -> std::optional<std::string> {
        auto values = platform::ReadProfileValues(bytes, alias, FieldKeys());
        if (!values) {
            result = SaveResult::Missing;
            return std::nullopt;
        }
        if (expected != nullptr) {
            for (std::size_t i = 0; i < expected->size(); ++i) {
                if (FieldText((*values)[i]) != (*expected)[i]) {
                    result = SaveResult::Changed;
                    return std::nullopt;
                }
            }
        }
        auto updated = WithFields(bytes, alias, stored);
        if (!updated) {
            throw ProfileError("Unable to write to " + AliasFilePath());
        }
        result = SaveResult::Saved;
        return updated;
    });
    return result;
}

bool AliasFile::WriteAliases(const std::vector<std::pair<std::string, AliasFields>>& aliases,
                             const std::vector<std::string>& deletions,
                             const std::string* expected) {
    for (const auto& alias : aliases) {
        RefuseUnusableName(alias.first);
    }
    bool unchanged = true;
    EditBytes([&](const std::string& bytes) -> std::optional<std::string> {
        if (expected != nullptr && bytes != *expected) {
            unchanged = false;
            return std::nullopt;
        }
        std::string text = bytes;
        bool joined = false;
        if (!deletions.empty()) {
            // Every section of each name goes, as DeleteAliasSection removes
            // one: a repeated header would otherwise bring the name back.
            std::vector<std::string> lines = SplitLines(text);
            for (const std::string& name : deletions) {
                while (EraseSection(lines, name)) {
                }
            }
            text = JoinLines(lines);
            joined = true;
        }
        // The headers present, as IndexOf finds them: whole lines equal
        // ignoring letter case, that is, equal foldings.
        std::set<std::u16string> headers;
        for (const std::string& line : SplitLines(text)) {
            headers.insert(platform::FoldCase(line));
        }
        for (const auto& [name, stored] : aliases) {
            if (headers.insert(platform::FoldCase(HeaderOf(name))).second) {
                // Appending a header rewrites every line end as CR LF once;
                // later appends find them so.
                if (!joined) {
                    text = JoinLines(SplitLines(text));
                    joined = true;
                }
                // The new section is the file's last: its keys go right after
                // its header, in field order, as the profile writes them.
                text.append(HeaderOf(name)).append("\r\n");
                for (std::size_t i = 0; i < stored.size(); ++i) {
                    if (stored[i].find_first_of("\r\n") != std::string::npos) {
                        throw ProfileError("Unable to write to " + AliasFilePath());
                    }
                    text.append(kAliasFieldKeys[i]).append("=").append(stored[i]).append("\r\n");
                }
                continue;
            }
            auto updated = WithFields(std::move(text), name, stored);
            if (!updated) {
                throw ProfileError("Unable to write to " + AliasFilePath());
            }
            text = std::move(*updated);
        }
        return text;
    });
    return unchanged;
}

}  // namespace kvr
