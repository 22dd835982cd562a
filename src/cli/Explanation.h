#pragma once
// What `test` says about a failed connection, above the driver's own text:
// the editor's explanations, in Traditional Chinese under a Chinese locale and
// in English otherwise.
#include <string>

#include "dbtest/ConnectionOpener.h"

namespace kvr::cli {

// A fixed word for scripts ("login-refused", "timeout", ...).
const char* ReasonName(FailureReason reason);
// The explanation, UTF-8.
std::string Explanation(FailureReason reason);
// Whether the user's language is Chinese: the texts that follow it choose by
// this.
bool ChineseLocale();

}  // namespace kvr::cli
