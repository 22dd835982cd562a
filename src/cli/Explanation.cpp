#include "cli/Explanation.h"

#include "texts/Explanations.h"

namespace kvr::cli {

const char* ReasonName(FailureReason reason) {
    return texts::ReasonName(reason);
}

std::string Explanation(FailureReason reason) {
    return texts::Translated(texts::ExplanationOf(reason));
}

}  // namespace kvr::cli
