#pragma once
// What a change of the machine's code page would do to an alias file: the
// names and values that would read as other text afterwards.
#include <string>
#include <string_view>
#include <vector>

namespace kvr {

struct ChangedText {
    std::string alias;  // the alias's name as it reads today, UTF-8
    std::string field;  // the field's key; empty for the name itself
    bool operator==(const ChangedText&) const = default;
};

// The names and values of the aliases of workDir's KVRCFG that read as
// characters under code page `from` but as other text, or as no text, under
// `to` (names as SetAnsiCodePage takes them). Text that does not read under
// `from` either is not counted: the change cannot spoil it. A missing file
// has nothing to change; FileError when it cannot be read. The code page in
// force is left as it was.
std::vector<ChangedText> TextChangedByCodePage(const std::string& workDir, std::string_view from,
                                               std::string_view to);

}  // namespace kvr
