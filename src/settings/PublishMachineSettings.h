#pragma once
// Publishes the editor's work directory and makes sure the sibling programs'
// six port values exist, in HKEY_LOCAL_MACHINE\SOFTWARE.
#include <optional>
#include <string>

#include "platform/Registry.h"

namespace kvr {

// Writes to registry (the machine's, platform::MachineRegistry(), in the
// program). A key or value that cannot be written is left as it is.
void PublishMachineSettings(const std::string& workDir, const platform::Registry& registry);

// The work directory last published (KVRPath, text up to its first NUL), or
// nothing when the registry holds none, holds it empty or as another type, or
// cannot be read.
std::optional<std::string> PublishedWorkDir(const platform::Registry& registry);

}  // namespace kvr
