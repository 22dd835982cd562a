#pragma once
// Publishes the editor's work directory and makes sure the sibling programs'
// six port values exist, in HKEY_LOCAL_MACHINE\SOFTWARE.
#include <optional>
#include <string>

namespace kvr {

// Uses the machine's registry.
void PublishMachineSettings(const std::string& workDir);
// Uses the registry kept in registryFile (tests, other machines' layouts).
void PublishMachineSettings(const std::string& workDir, const std::string& registryFile);

// The work directory last published (KVRPath, text up to its first NUL), or
// nothing when the registry holds none, holds it empty or as another type, or
// cannot be read.
std::optional<std::string> PublishedWorkDir(const std::string& registryFile);

}  // namespace kvr
