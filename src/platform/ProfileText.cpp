// Private-profile files parsed and edited as bytes in memory. The disk side is
// in the backend; the line rules here are shared with the alias file, which
// must agree with us on where a section ends.
#include "platform/Lines.h"
#include "platform/Profile.h"
#include "platform/Text.h"

namespace kvr::platform {

namespace {

using Line = TextLine;

// The first header line of the section, or nothing. A header's first
// non-blank byte is "[", never a trail byte, so the search jumps from one "["
// to the next and looks at its line only when blanks alone precede it.
std::optional<Line> FindSectionHeader(std::string_view file, const IgnoreCaseText& section) {
    size_t from = 0;
    while (from < file.size()) {
        size_t bracket = file.find('[', from);
        if (bracket == std::string_view::npos) {
            return std::nullopt;
        }
        size_t begin = bracket;
        while (begin > from && file[begin - 1] != '\r' && file[begin - 1] != '\n' &&
               static_cast<unsigned char>(file[begin - 1]) <= 0x20) {
            --begin;
        }
        bool lineStart = begin == 0 || file[begin - 1] == '\r' || file[begin - 1] == '\n';
        // Most headers of a large file differ from the wanted one in their
        // first letters: they are passed over without reading their line.
        size_t nameStart = bracket + 1;
        while (nameStart < file.size() && file[nameStart] != '\r' && file[nameStart] != '\n' &&
               static_cast<unsigned char>(file[nameStart]) <= 0x20) {
            ++nameStart;
        }
        if (!lineStart || section.DiffersAtStart(file.substr(nameStart))) {
            from = bracket + 1;
            continue;
        }
        Line line = LineAt(file, bracket);
        if (lineStart) {
            line.text = file.substr(begin, line.text.size() + (bracket - begin));
            line.begin = begin;
            if (auto name = ProfileSectionName(line.text); name && section.Matches(*name)) {
                return line;
            }
        }
        from = line.next;
    }
    return std::nullopt;
}

std::string_view Unquote(std::string_view value) {
    value = Trim(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

// The one walk over a section's lines, for single and whole reads alike:
// calls visit(line, text) for each non-blank line after the header that ends
// at `from` (text is the line without surrounding blanks), up to the next
// header, while visit returns true. Returns the offset where it stopped: the
// next header's line, or the end of the file.
template <typename Visit>
size_t WalkSection(std::string_view file, size_t from, Visit visit) {
    size_t pos = from;
    while (pos < file.size()) {
        const Line line = LineAt(file, pos);
        const std::string_view text = Trim(line.text);
        if (!text.empty()) {
            if (ProfileSectionName(text) || !visit(line, text)) {
                return pos;
            }
        }
        pos = line.next;
    }
    return pos;
}

// Where a section and a key were found, as offsets into the file.
struct Place {
    bool sectionFound = false;
    size_t afterLastEntry = 0;  // just past the last non-blank line of the section
    bool lastEntryEnded = false;
    bool keyFound = false;
    Line keyLine;
    std::string_view keyName;  // as spelled in the file
    std::string_view value;    // raw, after "="
};

Place Find(std::string_view file, std::string_view section, std::string_view key) {
    Place place;
    auto header = FindSectionHeader(file, IgnoreCaseText(Trim(section)));
    if (!header) {
        return place;
    }
    place.sectionFound = true;
    place.afterLastEntry = header->next;
    place.lastEntryEnded = header->ended;
    const IgnoreCaseText wantedKey(Trim(key));
    WalkSection(file, header->next, [&](const Line& line, std::string_view text) {
        place.afterLastEntry = line.next;
        place.lastEntryEnded = line.ended;
        size_t eq = text.find('=');
        if (!place.keyFound && eq != std::string_view::npos &&
            wantedKey.Matches(Trim(text.substr(0, eq)))) {
            place.keyFound = true;
            place.keyLine = line;
            place.keyName = Trim(text.substr(0, eq));
            place.value = text.substr(eq + 1);
        }
        return true;
    });
    return place;
}

// The values of some keys in a section, gathered line by line as the walk
// passes them: the first line of each key counts. The keys are folded once,
// for however many sections are read.
class KeyValues {
  public:
    explicit KeyValues(const std::vector<std::string_view>& keys) {
        wanted_.reserve(keys.size());
        for (std::string_view key : keys) {
            wanted_.emplace_back(Trim(key));
        }
    }

    // Starts a section.
    void Clear() {
        values_.assign(wanted_.size(), std::nullopt);
        missing_ = wanted_.size();
    }

    // Takes one non-blank line of the section; false once every key has its value.
    bool Take(std::string_view text) {
        size_t eq = text.find('=');
        if (eq != std::string_view::npos) {
            std::string_view name = Trim(text.substr(0, eq));
            for (size_t i = 0; i < wanted_.size(); ++i) {
                if (!values_[i] && wanted_[i].Matches(name)) {
                    values_[i] = Unquote(text.substr(eq + 1));
                    --missing_;
                }
            }
        }
        return missing_ > 0;
    }

    std::vector<std::optional<std::string_view>> Values() { return std::move(values_); }

  private:
    std::vector<IgnoreCaseText> wanted_;
    std::vector<std::optional<std::string_view>> values_;
    size_t missing_ = 0;
};

}  // namespace

std::optional<std::string_view> ProfileSectionName(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    // The last "]" that is a character of its own closes the name: in a
    // double-byte code page 0x5D may be the second byte of a character.
    size_t close = line.size();
    while ((close = line.rfind(']', close - 1)) != std::string_view::npos && close > 0) {
        if (EndsWithSingleByte(line.substr(0, close + 1), ']')) {
            return Trim(line.substr(1, close - 1));
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> ReadProfileValue(std::string_view file, std::string_view section,
                                                 std::string_view key) {
    Place place = Find(file, section, key);
    if (!place.keyFound) {
        return std::nullopt;
    }
    return Unquote(place.value);
}

std::optional<std::vector<std::optional<std::string_view>>> ReadProfileValues(
    std::string_view file, std::string_view section, const std::vector<std::string_view>& keys) {
    auto header = FindSectionHeader(file, IgnoreCaseText(Trim(section)));
    if (!header) {
        return std::nullopt;
    }
    KeyValues values(keys);
    values.Clear();
    if (!keys.empty()) {
        WalkSection(file, header->next,
                    [&](const Line&, std::string_view text) { return values.Take(text); });
    }
    return values.Values();
}

std::vector<ProfileSection> ReadProfileSections(std::string_view file,
                                                const std::vector<std::string_view>& keys) {
    std::vector<ProfileSection> sections;
    KeyValues values(keys);
    for (size_t pos = 0; pos < file.size();) {
        const Line line = LineAt(file, pos);
        auto name = ProfileSectionName(line.text);
        if (!name) {
            pos = line.next;
            continue;
        }
        values.Clear();
        pos = WalkSection(file, line.next, [&](const Line&, std::string_view text) {
            values.Take(text);
            return true;
        });
        sections.push_back({*name, values.Values()});
    }
    return sections;
}

std::optional<ProfileSplice> ProfileValueSplice(std::string_view file, std::string_view section,
                                                std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    auto oneLine = [](std::string_view s) { return s.find_first_of("\r\n") == s.npos; };
    if (!oneLine(section) || !oneLine(key) || !oneLine(value) || key.find('=') != key.npos) {
        return std::nullopt;
    }
    std::string keyLine = std::string(key) + "=" + std::string(value);
    if (ProfileSectionName(keyLine)) {
        return std::nullopt;  // it would read back as a section header
    }
    // A name ending in the lead byte of a double-byte character would take the
    // "]" as its trail byte: the header would not read back, and every write
    // would append the section again.
    const std::string header = "[" + std::string(section) + "]";
    if (ProfileSectionName(header) != section) {
        return std::nullopt;
    }

    Place place = Find(file, section, key);
    ProfileSplice splice;
    if (place.keyFound) {
        splice.at = place.keyLine.begin;
        splice.erase = place.keyLine.next - place.keyLine.begin;
        splice.insert.append(place.keyName).append("=").append(value).append("\r\n");
    } else if (place.sectionFound) {
        splice.at = place.afterLastEntry;
        if (!place.lastEntryEnded) {
            splice.insert.append("\r\n");
        }
        splice.insert.append(keyLine).append("\r\n");
    } else {
        splice.at = file.size();
        if (!file.empty() && file.back() != '\r' && file.back() != '\n') {
            splice.insert.append("\r\n");
        }
        splice.insert.append(header).append("\r\n");
        splice.insert.append(keyLine).append("\r\n");
    }
    return splice;
}

std::optional<std::string> WriteProfileValue(std::string_view file, std::string_view section,
                                             std::string_view key, std::string_view value) {
    auto splice = ProfileValueSplice(file, section, key, value);
    if (!splice) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(file.size() - splice->erase + splice->insert.size());
    out.append(file.substr(0, splice->at));
    out.append(splice->insert);
    out.append(file.substr(splice->at + splice->erase));
    return out;
}

}  // namespace kvr::platform
