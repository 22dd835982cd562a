#pragma once
// Which names an alias can carry. A name becomes the header line "[name]", so
// a control character (CR and LF above all) would break the file's lines, and
// the root text is what the editor's tree calls its root: an alias of that name
// could never be edited, tested or deleted. The profile functions trim section
// names, so a name with a blank at either end would read and write the fields
// of the name without it. A name holds at most kMaxAliasNameBytes. Names are
// checked after the usual trim; names already in a file are listed whatever
// they hold.
#include <cstddef>
#include <string_view>

#include "platform/Errors.h"
#include "texts/Labels.h"

namespace kvr {

// The text of the tree's root, compared byte for byte.
using texts::kRootText;

// The longest name, in bytes of the code page: a name buffer of 256 bytes
// holds it, and the Windows tree shows at most 260 characters of a node. Real
// aliases are a few words; the bound keeps a hostile name from growing the
// file and the window without limit.
inline constexpr std::size_t kMaxAliasNameBytes = 255;

enum class NameProblem {
    None,
    ControlCharacter,  // a byte below 0x20: CR, LF, TAB, ...
    RootText,          // equal to kRootText
    SurroundingBlank,  // a blank first or last byte
    TooLong,           // more than kMaxAliasNameBytes bytes
};

NameProblem CheckAliasName(std::string_view name);

// Raised by the alias file for a name CheckAliasName refuses; nothing written.
class NameError : public Error {
  public:
    explicit NameError(NameProblem problem);
    NameProblem Problem() const { return problem_; }

  private:
    NameProblem problem_;
};

}  // namespace kvr
