#pragma once
// Publishes the editor's work directory and makes sure the sibling programs'
// six port values exist, in HKEY_LOCAL_MACHINE\SOFTWARE.
#include <string>

#include "platform/Registry.h"

namespace kvr {

// Writes to registry (the machine's, platform::MachineRegistry(), in the
// program). A key or value that cannot be written is left as it is.
void PublishMachineSettings(const std::string& workDir, const platform::Registry& registry);

}  // namespace kvr
