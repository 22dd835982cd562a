// kvrcodepage: shows or sets the machine's ANSI code page, the registry value
// that every program of ours reads first (see platform/MachineCodePage.h).
//
//   kvrcodepage                    the code page in force, and where it comes from
//   kvrcodepage 950                sets it: 950 Big5, 65001 UTF-8, 936, 1252, ...
//   kvrcodepage [--dir DIR]... [--force] CODE-PAGE
//
// Before it sets a code page it reads the alias file of the published work
// directory (and of every --dir): when a name or value there would read as
// other text under the new code page, it changes nothing and says which
// command converts the file, unless --force.
//
// Exit status: 0 done, 1 a code page this machine does not know, 2 wrong
// usage, 3 the registry file cannot be written, 4 the alias file would no
// longer read correctly (or cannot be read).
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Console.h"
#include "platform/FileRegistry.h"
#include "platform/MachineCodePage.h"
#include "platform/Text.h"
#include "settings/PublishMachineSettings.h"
#include "store/CodePageChange.h"
#include "texts/Texts.h"

namespace {

using kvr::texts::Say;

// A code page as Windows names it: "950 (Big5)".
std::string Title(unsigned codePage) {
    struct Known {
        unsigned number;
        const char* name;
    };
    static constexpr Known kKnown[] = {
        {437, "OEM United States"},
        {850, "OEM Multilingual Latin 1"},
        {874, "Thai"},
        {932, "Shift-JIS"},
        {936, "GBK"},
        {949, "Korean"},
        {950, "Big5"},
        {1250, "Central European"},
        {1251, "Cyrillic"},
        {1252, "Western European"},
        {1253, "Greek"},
        {1254, "Turkish"},
        {1255, "Hebrew"},
        {1256, "Arabic"},
        {1257, "Baltic"},
        {1258, "Vietnamese"},
        {20127, "US-ASCII"},
        {20936, "GB2312"},
        {28591, "ISO 8859-1"},
        {54936, "GB18030"},
        {65001, "UTF-8"},
    };
    for (const Known& known : kKnown) {
        if (known.number == codePage) {
            return std::to_string(codePage) + " (" + known.name + ")";
        }
    }
    return std::to_string(codePage);
}

// Our UTF-8 text in the terminal's character set.
void Print(std::FILE* out, const std::string& text) {
    std::fputs(kvr::platform::UnicodeToTerminal(kvr::platform::Utf8ToUtf16(text)).c_str(), out);
    std::fputc('\n', out);
}

std::string Usage() {
    return Say(KVR_TEXT("kvrcodepage",
                        "Usage: kvrcodepage [--dir DIR]... [--force] [CODE-PAGE]\n"
                        "Shows the machine's code page, or sets it (for example 950 or 65001).\n"
                        "Before setting it, checks the alias file of the published work directory "
                        "and of every DIR,\nand refuses when its aliases would no longer read "
                        "correctly; --force sets it all the same."));
}

int Show(const kvr::platform::FileRegistry& registry) {
    using kvr::platform::MachineCodePage;
    std::optional<unsigned> number = kvr::platform::ReadMachineCodePage(registry);
    switch (kvr::platform::UseMachineCodePage(registry)) {
        case MachineCodePage::InForce:
            Print(stdout,
                  Say(KVR_TEXT("kvrcodepage", "%1, from %2"), {Title(*number), registry.File()}));
            return 0;
        case MachineCodePage::Unknown:
            Print(stdout, Say(KVR_TEXT("kvrcodepage",
                                       "%1 is not a code page of this machine; the locale's "
                                       "character set %2 is used"),
                              {std::to_string(*number), kvr::platform::AnsiCodePage()}));
            return 1;
        case MachineCodePage::NotSet:
            break;
    }
    Print(stdout,
          Say(KVR_TEXT("kvrcodepage", "not set in %1; the locale's character set %2 is used"),
              {registry.File(), kvr::platform::AnsiCodePage()}));
    return 0;
}

// The Windows number of a code page the platform names ("UTF-8", "windows-950");
// the name itself for others.
std::string WindowsNumber(const std::string& name) {
    if (name == "UTF-8" || name == "utf-8" || name == "UTF8") {
        return "65001";
    }
    if (name.starts_with("windows-")) {
        return name.substr(8);
    }
    return name;
}

std::string WithSeparator(std::string dir) {
    if (dir.empty() || dir.back() != '/') {
        dir += '/';
    }
    return dir;
}

// Whether every alias file in dirs reads alike under the new code page; when
// one does not, says what and how to convert it.
bool AliasFilesFit(const std::vector<std::string>& dirs, unsigned codePage,
                   const std::optional<unsigned>& current) {
    const std::string from = kvr::platform::AnsiCodePage();
    const std::string to = kvr::platform::CodePageName(codePage);
    const std::string fromArgument = current ? std::to_string(*current) : WindowsNumber(from);
    bool fit = true;
    for (const std::string& dir : dirs) {
        std::vector<kvr::ChangedText> changed;
        try {
            changed = kvr::TextChangedByCodePage(dir, from, to);
        } catch (const std::exception& failure) {
            Print(stderr, "kvrcodepage: " + std::string(failure.what()));
            fit = false;
            continue;
        }
        if (changed.empty()) {
            continue;
        }
        fit = false;
        std::string which;
        for (const kvr::ChangedText& text : changed) {
            if (!which.empty()) {
                which += ", ";
            }
            which += "[" + text.alias + "]" + (text.field.empty() ? "" : " " + text.field);
        }
        Print(stderr,
              Say(KVR_TEXT("kvrcodepage",
                           "kvrcodepage: %1KVRCFG would no longer read correctly under code page "
                           "%2: %3. Convert it first with\n"
                           "  kvrcfg --dir %4 recode --to %5 --from %6\n"
                           "or give --force to set the code page all the same."),
                  {dir, Title(codePage), which, dir, std::to_string(codePage), fromArgument}));
    }
    return fit;
}

}  // namespace

int Run(int argc, char* argv[]) {
    const kvr::platform::FileRegistry registry(kvr::platform::DefaultRegistryFile());
    std::vector<std::string> dirs;
    bool force = false;
    const char* codePageArgument = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            Print(stdout, Usage());
            return 0;
        }
        if (arg == "--force") {
            force = true;
        } else if (arg == "--dir" && i + 1 < argc) {
            dirs.push_back(WithSeparator(argv[++i]));
        } else if (codePageArgument == nullptr && !arg.starts_with("-")) {
            codePageArgument = argv[i];
        } else {
            Print(stderr, Usage());
            return 2;
        }
    }
    if (codePageArgument == nullptr) {
        if (!dirs.empty() || force) {
            Print(stderr, Usage());
            return 2;
        }
        return Show(registry);
    }
    const std::string_view arg = codePageArgument;
    const bool digits = !arg.empty() && arg.size() <= 5 &&
                        arg.find_first_not_of("0123456789") == std::string_view::npos;
    if (!digits || std::stoul(std::string(arg)) == 0 || std::stoul(std::string(arg)) > 65535) {
        Print(stderr, Usage());
        return 2;
    }
    const unsigned codePage = static_cast<unsigned>(std::stoul(std::string(arg)));
    if (!kvr::platform::SetAnsiCodePage(kvr::platform::CodePageName(codePage))) {
        Print(stderr,
              Say(KVR_TEXT("kvrcodepage", "kvrcodepage: %1 is not a code page of this machine"),
                  {std::to_string(codePage)}));
        return 1;
    }
    // The files are read as they read today.
    const std::optional<unsigned> current = kvr::platform::ReadMachineCodePage(registry);
    kvr::platform::SetAnsiCodePage("");
    kvr::platform::UseMachineCodePage(registry);
    if (auto published = kvr::PublishedWorkDir(registry)) {
        const std::string dir = WithSeparator(*published);
        if (std::find(dirs.begin(), dirs.end(), dir) == dirs.end()) {
            dirs.insert(dirs.begin(), dir);
        }
    }
    if (!force && !AliasFilesFit(dirs, codePage, current)) {
        return 4;
    }
    if (!kvr::platform::WriteMachineCodePage(registry, codePage)) {
        Print(stderr,
              Say(KVR_TEXT("kvrcodepage", "kvrcodepage: cannot write %1"), {registry.File()}));
        return 3;
    }
    return Show(registry);
}

int main(int argc, char* argv[]) {
    std::setlocale(LC_ALL, "");
    try {
        return Run(argc, argv);
    } catch (const std::exception& refused) {  // a registry file too large, a link not followed
        std::fprintf(stderr, "kvrcodepage: %s\n", refused.what());
        return 1;
    }
}
