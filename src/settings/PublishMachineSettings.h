#pragma once
// Publishes the editor's work directory and makes sure the sibling programs'
// six port values exist, in HKEY_LOCAL_MACHINE\SOFTWARE.
#include <string>

namespace kvr {

// Uses the machine's registry.
void PublishMachineSettings(const std::string& workDir);
// Uses the registry kept in registryFile (tests, other machines' layouts).
void PublishMachineSettings(const std::string& workDir, const std::string& registryFile);

}  // namespace kvr
