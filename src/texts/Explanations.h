#pragma once
// What a failed connection test says above the driver's own text, in the
// window's failure box and in `kvrcfg test`.
#include "dbtest/ConnectionOpener.h"
#include "texts/Texts.h"

namespace kvr::texts {

// The explanation of a failure reason.
SourceText ExplanationOf(FailureReason reason);
// A fixed word for scripts ("login-refused", "timeout", ...).
const char* ReasonName(FailureReason reason);

}  // namespace kvr::texts
