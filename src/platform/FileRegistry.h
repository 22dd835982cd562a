#pragma once
// A registry kept in one text file in the REGEDIT4 format: the machine's
// registry where the system has none, and a registry of its own for tests.
// Each write rereads the file and replaces it atomically under its lock, so
// values that other programs keep there survive; SetValues decides and writes
// in that same locked step. A file that cannot be read or parsed is
// never rewritten: opens on it fail. No write rights on its folder means
// opens for writing fail, as on Windows without administrator rights.
#include <string>

#include "platform/Files.h"
#include "platform/Registry.h"

namespace kvr::platform {

// Where the machine's registry file lives on a system without a registry:
// /etc/kavrolis/registry.reg.
std::string DefaultRegistryFile();

class FileRegistry : public Registry {
  public:
    // Tests pass a file system that fails on demand.
    explicit FileRegistry(std::string file, FileSystem& fs = MachineFileSystem());

    // A key comes into being with its first value.
    RegKey CreateKey(std::string_view subKey, std::uint32_t access) const override;
    RegKey OpenKey(std::string_view subKey, std::uint32_t access) const override;

    const std::string& File() const { return file_; }

  private:
    std::string file_;
    FileSystem* fs_;
};

}  // namespace kvr::platform
