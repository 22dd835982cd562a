// No system registry here: the machine's keys live in a REGEDIT4 file.
#include "platform/FileRegistry.h"

namespace kvr::platform {

std::string DefaultRegistryFile() {
    return "/etc/kavrolis/registry.reg";
}

std::unique_ptr<Registry> MachineRegistry() {
    return std::make_unique<FileRegistry>(DefaultRegistryFile());
}

}  // namespace kvr::platform
