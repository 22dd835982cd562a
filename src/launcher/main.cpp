// published-workdir: prints the work directory the editor last published in
// the machine's registry (KVRPath), so that the desktop menu can start the
// editor there. Exit status 0 with the directory on standard output (no line
// end), 1 when none is published or the registry cannot be read. An optional
// argument names another registry file.
#include <exception>
#include <iostream>
#include <optional>
#include <string>

#include "platform/FileRegistry.h"
#include "settings/PublishMachineSettings.h"

int main(int argc, char* argv[]) {
    if (argc > 2) {
        std::cerr << "usage: published-workdir [REGISTRY-FILE]\n";
        return 2;
    }
    std::string file = argc == 2 ? argv[1] : kvr::platform::DefaultRegistryFile();
    std::optional<std::string> dir;
    try {
        dir = kvr::PublishedWorkDir(kvr::platform::FileRegistry(file));
    } catch (const std::exception& refused) {  // a file too large, a link not followed
        std::cerr << "published-workdir: " << refused.what() << '\n';
        return 1;
    }
    if (!dir) {
        return 1;
    }
    std::cout << *dir << std::flush;
    return std::cout ? 0 : 1;
}
