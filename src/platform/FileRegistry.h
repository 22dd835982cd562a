#pragma once
// A registry kept in one text file in the REGEDIT4 format: the machine's
// registry where the system has none, and a registry of its own for tests.
// Each write rereads the file and replaces it atomically, so values that
// other programs keep there survive. A file that cannot be read or parsed is
// never rewritten: opens on it fail. No write rights on its folder means
// opens for writing fail, as on Windows without administrator rights.
#include <string>

#include "platform/Registry.h"

namespace kvr::platform {

// Where the machine's registry file lives on a system without a registry:
// /etc/kavrolis/registry.reg.
std::string DefaultRegistryFile();

class FileRegistry : public Registry {
  public:
    explicit FileRegistry(std::string file);

    // A key comes into being with its first value.
    RegKey CreateKey(std::string_view subKey, std::uint32_t access) const override;
    RegKey OpenKey(std::string_view subKey, std::uint32_t access) const override;

    const std::string& File() const { return file_; }

  private:
    std::string file_;
};

}  // namespace kvr::platform
