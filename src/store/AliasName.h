#pragma once
// Which names an alias can carry. A name becomes the header line "[name]", so
// a control character (CR and LF above all) would break the file's lines, and
// the root text is what the editor's tree calls its root: an alias of that name
// could never be edited, tested or deleted. Names are checked after the usual
// trim; names already in a file are listed whatever they hold.
#include <string_view>

#include "platform/Errors.h"
#include "texts/Labels.h"

namespace kvr {

// The text of the tree's root, compared byte for byte.
using texts::kRootText;

enum class NameProblem {
    None,
    ControlCharacter,  // a byte below 0x20: CR, LF, TAB, ...
    RootText,          // equal to kRootText
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
