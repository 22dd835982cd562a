#pragma once
// What `test` says about a failed connection, above the driver's own text:
// the window's explanations, in the user's language.
#include <string>

#include "dbtest/ConnectionOpener.h"

namespace kvr::cli {

// A fixed word for scripts ("login-refused", "timeout", ...).
const char* ReasonName(FailureReason reason);
// The explanation, UTF-8.
std::string Explanation(FailureReason reason);

}  // namespace kvr::cli
