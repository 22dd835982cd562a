#pragma once
// `apply`: the alias file brought to a declared set of aliases in one locked
// rewrite, for configuration tools that run it again and again. Aliases whose
// values already are the declared ones are not touched, so a second run of the
// same declaration leaves the file's bytes as they are.
#include <string>
#include <utility>
#include <vector>

#include "cli/AliasStore.h"
#include "cli/Commands.h"

namespace kvr::cli {

struct DeclaredAlias {
    std::string name;
    Fields values;
    bool keepPassword = false;  // masked in the declaration: the stored one stays
};

struct CurrentAlias {
    std::string name;  // as the file spells it
    Fields values;     // decoded
};

struct ApplyPlan {
    std::vector<std::string> added;  // as declared
    // As the file spells them, with the indexes (into kFields) of the fields
    // that change.
    std::vector<std::pair<std::string, std::vector<std::size_t>>> changed;
    std::vector<std::string> deleted;
    // What the rewrite writes: every added and every changed alias with its
    // four values, in declaration order.
    std::vector<std::pair<std::string, Fields>> writes;
    // The values before, for the aliases of `changed` and `deleted`.
    std::vector<std::pair<std::string, Fields>> before;

    bool Changes() const { return !writes.empty() || !deleted.empty(); }
};

// What bringing `current` to `declared` takes. Names match ignoring letter
// case (the first of a repeated name counts); an existing alias keeps its
// spelling. Without `prune`, aliases that are not declared stay.
ApplyPlan PlanApply(const std::vector<CurrentAlias>& current,
                    const std::vector<DeclaredAlias>& declared, bool prune);

struct ApplyOptions {
    bool check = false;  // write nothing, say what would change
    bool diff = false;   // per alias and field; passwords never shown
    bool prune = false;
    bool json = false;
};

// Plans against the alias file, writes the plan in one step unless checking,
// and reports it. kDone whether or not anything changed.
int Apply(AliasStore& store, const std::vector<DeclaredAlias>& declared,
          const ApplyOptions& options, Io& io);

}  // namespace kvr::cli
