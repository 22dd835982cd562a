// Header operations treat KVRCFG as a list of lines: lines end in CR, LF or
// CR LF when read and in CR LF when written, and every byte of a line is
// kept, NUL included. Field access is the platform's profile functions, so
// both views must agree on where a section ends: ProfileSectionName decides.
#include "store/AliasFile.h"

#include <string_view>
#include <utility>

#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/Text.h"
#include "store/AliasName.h"

namespace kvr {

namespace {

constexpr std::uint32_t kFieldBufferSize = 2048;

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

}  // namespace

AliasFile::AliasFile(std::string workDir) : workDir_(std::move(workDir)) {}

std::string AliasFile::AliasFilePath() const {
    return workDir_ + "KVRCFG";
}

std::vector<std::string> AliasFile::ListAliases() {
    const std::string path = AliasFilePath();
    std::string bytes;
    switch (platform::ReadWholeFile(path, bytes)) {
        case platform::ReadStatus::Missing:
            if (!platform::ReplaceFile(path, "")) {
                throw FileError("Cannot create file " + path);
            }
            return {};
        case platform::ReadStatus::Unreadable:
            // Not a missing file: creating an empty one would lose it.
            throw FileError("Cannot open file " + path);
        case platform::ReadStatus::Ok:
            break;
    }
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

std::vector<std::string> AliasFile::LoadLines() const {
    std::string bytes;
    if (platform::ReadWholeFile(AliasFilePath(), bytes) != platform::ReadStatus::Ok) {
        throw FileError("Cannot open file " + AliasFilePath());
    }
    return SplitLines(bytes);
}

void AliasFile::SaveLines(const std::vector<std::string>& lines) const {
    if (!platform::ReplaceFile(AliasFilePath(), JoinLines(lines))) {
        throw FileError("Cannot create file " + AliasFilePath());
    }
}

void AliasFile::AddAliasHeader(const std::string& name) {
    RefuseUnusableName(name);
    std::vector<std::string> lines = LoadLines();
    if (IndexOf(lines, name) == lines.size()) {
        lines.push_back(HeaderOf(name));
        SaveLines(lines);
    }
}

void AliasFile::DeleteAliasSection(const std::string& name) {
    std::vector<std::string> lines = LoadLines();
    size_t header = IndexOf(lines, name);
    if (header < lines.size()) {
        // The whole section goes, however many lines a hand edit left in it,
        // and nothing of the next one.
        size_t end = header + 1;
        while (end < lines.size() && !platform::ProfileSectionName(lines[end])) {
            ++end;
        }
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(header),
                    lines.begin() + static_cast<std::ptrdiff_t>(end));
    }
    SaveLines(lines);
}

bool AliasFile::RenameAliasHeader(const std::string& oldName, const std::string& newName) {
    RefuseUnusableName(newName);
    std::vector<std::string> lines = LoadLines();
    size_t header = IndexOf(lines, oldName);
    bool found = header < lines.size();
    if (found) {
        lines[header] = HeaderOf(newName);
    }
    SaveLines(lines);
    return found;
}

bool AliasFile::HasAliasHeader(const std::string& name) {
    std::string bytes;
    switch (platform::ReadWholeFile(AliasFilePath(), bytes)) {
        case platform::ReadStatus::Missing:
            return false;
        case platform::ReadStatus::Unreadable:
            throw FileError("Cannot open file " + AliasFilePath());
        case platform::ReadStatus::Ok:
            break;
    }
    std::vector<std::string> lines = SplitLines(bytes);
    return IndexOf(lines, name) < lines.size();
}

std::string AliasFile::ReadAliasField(const std::string& alias, const std::string& key) {
    char buffer[kFieldBufferSize];
    std::uint32_t n = platform::GetPrivateProfileString(alias, key, "", buffer, kFieldBufferSize,
                                                        AliasFilePath());
    return std::string(buffer, n);
}

void AliasFile::WriteAliasField(const std::string& alias, const std::string& key,
                                const std::string& stored) {
    if (!platform::WritePrivateProfileString(alias, key, stored, AliasFilePath())) {
        throw ProfileError("Unable to write to " + AliasFilePath());
    }
}

}  // namespace kvr
