// Header operations treat KVRCFG as a list of lines: lines end in CR, LF or
// CR LF when read and in CR LF when written, and every byte of a line is
// kept, NUL included. Field access is the platform's profile rules over the
// same bytes, so both views must agree on where a section ends:
// ProfileSectionName decides.
#include "store/AliasFile.h"

#include <set>
#include <string_view>
#include <utility>

#include "platform/Errors.h"
#include "platform/Profile.h"
#include "platform/Text.h"
#include "store/AliasName.h"
#include "store/Cencrpyt.h"
#include "texts/FileErrors.h"

namespace kvr {

namespace {

using platform::EditStatus;
using platform::ReadStatus;

// A field read gives at most this many bytes, as the profile functions do
// with the 2048-byte buffer the file's other readers use.
constexpr std::size_t kFieldReadLimit = 2047;

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

// Where the line starting at pos ends: its CR or LF, or the end of the bytes.
size_t EndOfLine(std::string_view bytes, size_t pos) {
    while (pos < bytes.size() && bytes[pos] != '\r' && bytes[pos] != '\n') {
        ++pos;
    }
    return pos;
}

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Calls visit(line) for each line of the bytes, in order.
template <typename Visit>
void ForEachLine(std::string_view bytes, Visit visit) {
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t stop = EndOfLine(bytes, pos);
        if (stop == bytes.size()) {
            visit(bytes.substr(pos));
            return;
        }
        visit(bytes.substr(pos, stop - pos));
        pos = stop + 1;
        if (bytes[stop] == '\r' && pos < bytes.size() && bytes[pos] == '\n') {
            ++pos;
        }
    }
}

std::vector<std::string> SplitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    ForEachLine(bytes, [&](std::string_view line) { lines.emplace_back(line); });
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
    // Any line holding both brackets, wherever they are, lists the bytes
    // between its first and last byte: the file's readers rely on this. Only
    // lines with a "[" matter, so the scan jumps from one to the next.
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
        size_t end = EndOfLine(text, bracket);
        std::string_view line = text.substr(begin, end - begin);
        if (line.find(']') != line.npos) {
            names.emplace_back(line.substr(1, line.size() - 2));
        }
        from = end + 1;
    }
    return names;
}

}  // namespace

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
    switch (platform::ReadWholeFile(*fs_, AliasFilePath(), bytes)) {
        case ReadStatus::Missing:
            return {};
        case ReadStatus::Unreadable:
            throw FileError(
                texts::WithReadCause("Cannot open file " + AliasFilePath(), AliasFilePath()));
        case ReadStatus::Ok:
            break;
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
    switch (platform::ReadWholeFile(*fs_, AliasFilePath(), bytes)) {
        case ReadStatus::Missing:
            return false;
        case ReadStatus::Unreadable:
            throw FileError(
                texts::WithReadCause("Cannot open file " + AliasFilePath(), AliasFilePath()));
        case ReadStatus::Ok:
            break;
    }
    return true;
}

bool AliasFile::HasAliasHeader(const std::string& name) {
    std::string bytes;
    switch (platform::ReadWholeFile(*fs_, AliasFilePath(), bytes)) {
        case ReadStatus::Missing:
            return false;
        case ReadStatus::Unreadable:
            throw FileError(
                texts::WithReadCause("Cannot open file " + AliasFilePath(), AliasFilePath()));
        case ReadStatus::Ok:
            break;
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
