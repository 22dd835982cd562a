// The file is read twice over, by its two real readers: by lines (the alias
// list of store/AliasFile, the editor's list and header lookup) and as a
// profile (platform/Profile.h, the field reads of the editor and the suite).
// Most findings are places where the two differ.
#include "cli/Check.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "cli/AliasStore.h"
#include "cli/Text.h"
#include "platform/Ascii.h"
#include "platform/Errors.h"
#include "platform/Lines.h"
#include "platform/Profile.h"
#include "platform/Text.h"
#include "store/AliasFile.h"
#include "store/AliasName.h"
#include "store/Cencrpyt.h"
#include "texts/Texts.h"

namespace kvr::cli {

namespace {

std::optional<std::size_t> FieldOf(std::string_view key) {
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        if (platform::EqualsIgnoreCase(key, kFields[i].key)) {
            return i;
        }
    }
    return std::nullopt;
}

// A finding's description in the user's language.
std::string Describe(SourceText text, std::initializer_list<std::string_view> values = {}) {
    return texts::Say(text, values);
}

struct Section {
    std::size_t line = 0;
    std::string name;
    bool first = true;  // the first section of its name: the one readers use
    std::size_t keyLines = 0;
    std::array<bool, kFields.size()> seen{};
};

class Checker {
  public:
    std::vector<Finding> Run(std::string_view bytes) {
        platform::ForEachLine(bytes, [&](const platform::TextLine& line) {
            starts_.push_back(line.begin);
            Line(starts_.size(), line.text);
        });
        EndSection();
        Values(bytes);
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const Finding& a, const Finding& b) { return a.line < b.line; });
        return std::move(findings_);
    }

  private:
    void Add(std::size_t line, std::string alias, const char* kind, std::string message) {
        findings_.push_back({line, std::move(alias), kind, std::move(message)});
    }

    void Line(std::size_t number, std::string_view line) {
        const std::string_view text = platform::Trim(line);
        if (text.empty()) {
            return;
        }
        if (auto name = platform::ProfileSectionName(line)) {
            Header(number, line, *name);
            return;
        }
        if (ListedAliasName(line)) {
            Add(number, "", "not-a-header",
                Describe(KVR_TEXT("kvrcfg check",
                                  "the editor lists \"%1\" as an alias, but this line opens no "
                                  "section"),
                         {Utf8(line.substr(1, line.size() - 2))}));
            return;
        }
        if (text.front() == ';') {
            return;  // a comment
        }
        const std::size_t eq = text.find('=');
        if (!section_ || eq == std::string_view::npos) {
            Add(number, section_ ? section_->name : "", "ignored-line",
                Describe(section_ ? KVR_TEXT("kvrcfg check",
                                             "the profile reader ignores this line (no \"=\")")
                                  : KVR_TEXT("kvrcfg check",
                                             "the profile reader ignores this line (before the "
                                             "first section)")));
            return;
        }
        ++section_->keyLines;
        auto field = FieldOf(platform::Trim(text.substr(0, eq)));
        if (!field || !section_->first) {
            return;
        }
        if (section_->seen[*field]) {
            Add(number, section_->name, "repeated-key",
                Describe(KVR_TEXT("kvrcfg check", "%1 repeated; readers use the first"),
                         {kFields[*field].key}));
            return;
        }
        section_->seen[*field] = true;
    }

    // Kept out of line: inlined into Run, GCC 12 warns falsely that the
    // section it makes may be used uninitialized.
    [[gnu::noinline]] void Header(std::size_t number, std::string_view line,
                                  std::string_view name) {
        EndSection();
        section_.emplace();
        section_->line = number;
        section_->name = std::string(name);
        const std::string_view listed = line.substr(1, line.size() - 2);
        if (line != "[" + std::string(name) + "]") {
            Add(number, section_->name, "header-mismatch",
                Describe(KVR_TEXT("kvrcfg check",
                                  "the editor lists this alias as \"%1\" and cannot find its "
                                  "section by that name"),
                         {Utf8(listed)}));
        }
        auto [first, added] = headers_.emplace(platform::FoldCase(name), number);
        if (!added) {
            section_->first = false;
            Add(number, section_->name, "repeated-header",
                Describe(KVR_TEXT("kvrcfg check",
                                  "the alias's header is repeated (first at line %1); readers "
                                  "use only the first section"),
                         {std::to_string(first->second)}));
        }
        if (!IsCodePageText(name)) {
            Add(number, section_->name, "name-not-text",
                Describe(KVR_TEXT("kvrcfg check", "the name is not valid text in code page %1"),
                         {platform::AnsiCodePage()}));
        }
        if (name == kRootText) {
            Add(number, section_->name, "root-name",
                Describe(KVR_TEXT("kvrcfg check",
                                  "the name is the tree's root text; the editor cannot edit or "
                                  "delete it")));
        }
    }

    // The values every program reads: the profile reader's, of the first
    // section of each name, each checked at the line it stands on.
    void Values(std::string_view bytes) {
        const std::vector<std::string_view> keys(kAliasFieldKeys.begin(), kAliasFieldKeys.end());
        std::set<std::u16string> done;
        for (const platform::ProfileSection& section : platform::ReadProfileSections(bytes, keys)) {
            if (!done.insert(platform::FoldCase(section.name)).second) {
                continue;
            }
            for (std::size_t field = 0; field < kFields.size(); ++field) {
                if (const auto& value = section.values[field]) {
                    const auto offset = static_cast<std::size_t>(value->data() - bytes.data());
                    const auto line = std::upper_bound(starts_.begin(), starts_.end(), offset);
                    Value(static_cast<std::size_t>(line - starts_.begin()),
                          std::string(section.name), field, *value);
                }
            }
        }
    }

    void Value(std::size_t number, const std::string& alias, std::size_t field,
               std::string_view stored) {
        const std::string what = std::string(kFields[field].key) + ": ";
        if (stored.size() > kFieldReadLimit) {
            Add(number, alias, "value-too-long",
                what + Describe(KVR_TEXT("kvrcfg check",
                                         "the stored text has %1 characters; readers get only "
                                         "the first %2"),
                                {std::to_string(stored.size()), std::to_string(kFieldReadLimit)}));
            stored = stored.substr(0, kFieldReadLimit);
        }
        // A length item that is not hex reads as no value at all: the field
        // would look empty to every reader.
        const std::string_view lengths = stored.substr(0, 4);
        if (!stored.empty() &&
            (lengths.size() < 4 || std::any_of(lengths.begin(), lengths.end(),
                                               [](char c) { return platform::HexDigit(c) < 0; }))) {
            Add(number, alias, "undecodable",
                what + Describe(KVR_TEXT("kvrcfg check",
                                         "does not decode (its length items are not hex: it "
                                         "reads as empty)")));
            return;
        }
        std::string value;
        try {
            value = CEncrpyt().Decrypt(stored);
        } catch (const ConvertError& e) {
            Add(number, alias, "undecodable",
                what + Describe(KVR_TEXT("kvrcfg check", "does not decode (%1)"), {e.what()}));
            return;
        }
        if (!CEncrpyt::CanEncrypt(value)) {
            Add(number, alias, "value-too-long",
                what + Describe(KVR_TEXT("kvrcfg check", "the value has %1 bytes (at most %2)"),
                                {std::to_string(value.size()),
                                 std::to_string(CEncrpyt::kMaxValueLength)}));
        }
        if (!IsCodePageText(value)) {
            Add(number, alias, "value-not-text",
                what + Describe(
                           KVR_TEXT("kvrcfg check", "the value is not valid text in code page %1"),
                           {platform::AnsiCodePage()}));
        }
    }

    void EndSection() {
        if (section_ && section_->first && section_->keyLines == 0) {
            Add(section_->line, section_->name, "header-only",
                Describe(KVR_TEXT("kvrcfg check",
                                  "the section has only its header (added, never saved)")));
        }
        section_.reset();
    }

    std::vector<Finding> findings_;
    std::optional<Section> section_;
    std::map<std::u16string, std::size_t> headers_;
    std::vector<std::size_t> starts_;  // where each line begins
};

}  // namespace

std::vector<Finding> CheckAliasFile(std::string_view bytes) {
    return Checker().Run(bytes);
}

}  // namespace kvr::cli
