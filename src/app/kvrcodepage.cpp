// kvrcodepage: shows or sets the machine's ANSI code page, the registry value
// that every program of ours reads first (see platform/MachineCodePage.h).
//
//   kvrcodepage          the code page in force, and where it comes from
//   kvrcodepage 950      sets it: 950 Big5, 65001 UTF-8, 936, 1252, ...
//
// Exit status: 0 done, 1 a code page this machine does not know, 2 wrong
// usage, 3 the registry file cannot be written.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>

#include "platform/FileRegistry.h"
#include "platform/MachineCodePage.h"
#include "platform/Text.h"

namespace {

int Show(const kvr::platform::FileRegistry& registry) {
    using kvr::platform::MachineCodePage;
    std::optional<unsigned> number = kvr::platform::ReadMachineCodePage(registry);
    switch (kvr::platform::UseMachineCodePage(registry)) {
        case MachineCodePage::InForce:
            std::printf("%u (%s), from %s\n", *number, kvr::platform::AnsiCodePage().c_str(),
                        registry.File().c_str());
            return 0;
        case MachineCodePage::Unknown:
            std::printf(
                "%u is not a code page of this machine; the locale's character set %s "
                "is used\n",
                *number, kvr::platform::AnsiCodePage().c_str());
            return 1;
        case MachineCodePage::NotSet:
            break;
    }
    std::printf("not set in %s; the locale's character set %s is used\n", registry.File().c_str(),
                kvr::platform::AnsiCodePage().c_str());
    return 0;
}

int Run(int argc, char* argv[]) {
    const kvr::platform::FileRegistry registry(kvr::platform::DefaultRegistryFile());
    if (argc == 1) {
        return Show(registry);
    }
    const char* arg = argv[1];
    const bool digits = std::strlen(arg) > 0 && std::strlen(arg) <= 5 &&
                        std::strspn(arg, "0123456789") == std::strlen(arg);
    if (argc != 2 || !digits || std::stoul(arg) == 0 || std::stoul(arg) > 65535) {
        std::fprintf(stderr, "usage: kvrcodepage [CODE-PAGE]   (for example 950 or 65001)\n");
        return 2;
    }
    const unsigned codePage = static_cast<unsigned>(std::stoul(arg));
    if (!kvr::platform::SetAnsiCodePage(kvr::platform::CodePageName(codePage))) {
        std::fprintf(stderr, "kvrcodepage: %u is not a code page of this machine\n", codePage);
        return 1;
    }
    if (!kvr::platform::WriteMachineCodePage(registry, codePage)) {
        std::fprintf(stderr, "kvrcodepage: cannot write %s\n", registry.File().c_str());
        return 3;
    }
    return Show(registry);
}

}  // namespace

int main(int argc, char* argv[]) {
    std::setlocale(LC_ALL, "");
    try {
        return Run(argc, argv);
    } catch (const std::exception& refused) {  // a registry file too large, a link not followed
        std::fprintf(stderr, "kvrcodepage: %s\n", refused.what());
        return 1;
    }
}
