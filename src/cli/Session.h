#pragma once
// What a command of kvrcfg runs with, and the pieces of output that several
// commands share. A command is a function int(Session&) named in the command
// table (Commands.cpp); it returns the exit status or throws: UsageError
// (status 2), Refusal (1), anything else (3).
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <string_view>

#include "cli/AliasStore.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "platform/Registry.h"
#include "texts/Texts.h"

namespace kvr::cli {

using Json = nlohmann::ordered_json;

// The command line was used wrongly.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The registry --registry names (a file), else the machine's own.
struct RegistryChoice {
    std::unique_ptr<platform::Registry> registry;
    std::string name;  // for messages
    std::string file;  // the file of --registry; empty for the machine's
};

struct Session {
    AliasStore& store;
    const Invocation& call;
    Io& io;
    const std::string& workDir;  // absolute, ending in the path separator
    const RegistryChoice& registry;
};

// Texts several commands say.
inline constexpr SourceText kKeepsChanging = KVR_TEXT("kvrcfg", "Other programs keep changing %1.");
inline constexpr SourceText kCheckWroteNothing = KVR_TEXT("kvrcfg", " (check: nothing written)");

// The password as shown unless revealed.
inline constexpr std::string_view kMask = "*****";
std::string Masked(std::string_view password, bool reveal);

// A message on standard error.
void Tell(Io& io, const std::string& utf8);
void PrintJson(Io& io, const Json& json);

// The name given as the command's argument `index`, in the code page and
// without surrounding blanks, as add and the editor take names. A name the
// code page cannot store is refused naming `what` (the alias name, unless given).
std::string NameArgument(const Invocation& call, std::size_t index, std::string_view what = {});

// The alias's decoded fields; a value that does not decode names its alias.
Fields AliasValues(AliasStore& store, const std::string& alias);
Json AliasJson(const std::string& alias, const Fields& values, bool reveal);

}  // namespace kvr::cli
