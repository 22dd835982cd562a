// published-workdir: prints the work directory the editor last published in
// the machine's registry (KVRPath), so that the desktop menu can start the
// editor there. Exit status 0 with the directory on standard output (no line
// end); 1 when none is published or the registry cannot be read; 3 when one
// is published but this user cannot enter it, with the reason for the user on
// standard output: the menu then starts nothing, since an editor started
// elsewhere would publish its own folder over the machine's. An optional
// argument names another registry file.
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>

#include "platform/FileRegistry.h"
#include "settings/PublishMachineSettings.h"
#include "texts/Texts.h"

namespace {

// Why the published directory cannot be the editor's, or nothing when it can.
// In the user's language.
std::string Problem(const std::string& dir, const std::string& registry) {
    std::error_code error;
    kvr::SourceText why{};
    std::string detail;
    if (!std::filesystem::path(dir).is_absolute()) {
        why = KVR_TEXT("launcher", "it is not a folder path of this system");
    } else if (std::filesystem::current_path(dir, error); !error) {
        return {};
    } else if (error == std::errc::no_such_file_or_directory) {
        why = KVR_TEXT("launcher", "it does not exist");
    } else if (error == std::errc::not_a_directory) {
        why = KVR_TEXT("launcher", "it is not a folder");
    } else if (error == std::errc::permission_denied ||
               error == std::errc::operation_not_permitted) {
        why = KVR_TEXT("launcher", "you may not enter it");
    } else {
        why = KVR_TEXT("launcher", "it cannot be entered (%1)");
        detail = error.message();
    }
    const bool access =
        error == std::errc::permission_denied || error == std::errc::operation_not_permitted;
    return kvr::texts::Say(KVR_TEXT("launcher",
                                    "Kavrolis cannot start in the work directory this machine "
                                    "publishes for its aliases (KVRPath in %1):\n\n%2\n\nThe "
                                    "reason: %3.\n\n"),
                           {registry, dir, kvr::texts::Say(why, {detail})}) +
           kvr::texts::Say(
               access ? KVR_TEXT("launcher",
                                 "Ask the administrator for access to that folder, for example "
                                 "membership in its group; log in again afterwards.")
                      : KVR_TEXT("launcher",
                                 "If the aliases now live in another folder, publish that folder "
                                 "once: kvrcfg --dir FOLDER publish (as root or as a member of the "
                                 "group kavrolis)."));
}

}  // namespace

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
    if (std::string problem = Problem(*dir, file); !problem.empty()) {
        std::cout << problem << std::flush;
        return 3;
    }
    std::cout << *dir << std::flush;
    return std::cout ? 0 : 1;
}
