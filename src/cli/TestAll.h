#pragma once
// `test --all`: every alias's connection tested, a few at a time, each within
// its own time limit, so the whole takes about the slowest test per round
// rather than the sum of them all.
#include "cli/AliasStore.h"
#include "cli/Commands.h"

namespace kvr::cli {

struct TestAllOptions {
    int jobs = 4;             // tests under way at once
    int timeoutSeconds = 15;  // each test's limit
    bool json = false;
};

// One line per alias in file order and a summary; kNegative when any failed.
int TestAll(AliasStore& store, const TestAllOptions& options, Io& io);

}  // namespace kvr::cli
