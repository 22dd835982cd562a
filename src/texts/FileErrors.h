#pragma once
// File errors as the user reads them: the fixed first line ("Cannot open file
// %s", "Cannot create file %s", "Unable to write to %s"), then, on a line of
// its own and in the user's language, why, when it can be told.
#include <string>

#include "platform/ErrorCause.h"
#include "platform/Files.h"

namespace kvr::texts {

// The cause as a sentence; empty when it is unknown. `writing` tells a read
// from a rewrite for a permission that is missing.
std::string CauseText(const platform::FileTrouble& trouble, bool writing);

// The first line for a file that could not be read, and its cause.
std::string WithReadCause(const std::string& firstLine, const std::string& path);
// The first line for a file that could not be written, and its cause.
std::string WithWriteCause(const std::string& firstLine, const std::string& path);
// The first line for a rewrite of path that ended with status, and its cause.
std::string WithCause(const std::string& firstLine, const std::string& path,
                      platform::EditStatus status);

}  // namespace kvr::texts
