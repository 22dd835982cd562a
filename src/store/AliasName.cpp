#include "store/AliasName.h"

#include <algorithm>

namespace kvr {

namespace {

static_assert(kMaxAliasNameBytes == 255, "the message below names the bound");

const char* Message(NameProblem problem) {
    switch (problem) {
        case NameProblem::ControlCharacter:
            return "An alias name cannot hold a control character such as CR or LF";
        case NameProblem::RootText:
            return "An alias name cannot be the root text Kavrolis";
        case NameProblem::SurroundingBlank:
            return "An alias name cannot begin or end with a blank";
        case NameProblem::TooLong:
            return "An alias name holds at most 255 bytes";
        case NameProblem::None:
            break;
    }
    return "";
}

}  // namespace

NameProblem CheckAliasName(std::string_view name) {
    // Bytes below 0x20 are never part of a double-byte character (trail bytes
    // start at 0x40 in Big5), so a plain byte scan finds exactly the controls.
    if (std::any_of(name.begin(), name.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
        return NameProblem::ControlCharacter;
    }
    if (name == kRootText) {
        return NameProblem::RootText;
    }
    if (!name.empty() && (name.front() == ' ' || name.back() == ' ')) {
        return NameProblem::SurroundingBlank;
    }
    if (name.size() > kMaxAliasNameBytes) {
        return NameProblem::TooLong;
    }
    return NameProblem::None;
}

NameError::NameError(NameProblem problem) : Error(Message(problem)), problem_(problem) {}

}  // namespace kvr
