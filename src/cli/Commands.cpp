#include "cli/Commands.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <istream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <set>

#include "cli/AliasStore.h"
#include "cli/Apply.h"
#include "cli/Check.h"
#include "cli/Explanation.h"
#include "cli/Recode.h"
#include "cli/TestAll.h"
#include "cli/Text.h"
#include "dbtest/ConnectionOpener.h"
#include "dbtest/ConnectionString.h"
#include "platform/Console.h"
#include "platform/Errors.h"
#include "platform/FileRegistry.h"
#include "platform/Files.h"
#include "platform/MachineCodePage.h"
#include "platform/Text.h"
#include "settings/PublishMachineSettings.h"
#include "store/Cencrpyt.h"
#include "texts/FileErrors.h"
#include "texts/Texts.h"

#ifndef KVRCFG_VERSION
#define KVRCFG_VERSION "0"
#endif

namespace kvr::cli {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kMask = "*****";

class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// ---- Command line -----------------------------------------------------------

struct CommandSyntax {
    std::string_view name;
    std::size_t arguments;  // positional arguments, exactly
    std::set<std::string_view> flags;
    std::set<std::string_view> valued;
};

const std::vector<CommandSyntax>& Commands() {
    static const std::vector<CommandSyntax> commands = {
        {"list", 0, {"--json"}, {}},
        {"show", 1, {"--json", "--reveal"}, {}},
        {"add", 1, {}, {}},
        {"set", 1, {"--password-stdin", "--password-prompt"}, {"--database", "--server", "--user"}},
        {"rename", 2, {}, {}},
        {"delete", 1, {}, {}},
        {"test", 1, {"--json", "--all"}, {"--timeout", "--jobs"}},
        {"check", 0, {"--json"}, {}},
        {"export", 0, {"--reveal"}, {}},
        {"import", 1, {"--replace"}, {}},
        {"publish", 0, {}, {}},
        {"apply", 1, {"--check", "--diff", "--prune", "--json"}, {}},
        {"recode", 0, {"--check"}, {"--to", "--from"}},
    };
    return commands;
}

struct Invocation {
    std::string dir;
    std::string registry;
    const CommandSyntax* command = nullptr;
    std::vector<std::string> arguments;
    std::set<std::string> flags;
    std::map<std::string, std::string> values;
    bool help = false;
    bool version = false;

    bool Has(std::string_view flag) const { return flags.count(std::string(flag)) != 0; }
    const std::string* Value(std::string_view option) const {
        auto it = values.find(std::string(option));
        return it == values.end() ? nullptr : &it->second;
    }
};

Invocation Parse(const std::vector<std::string>& args) {
    Invocation call;
    std::vector<std::string> options;  // the command's own, checked once it is known
    std::vector<std::string> optionValues;
    bool optionsEnd = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
            if (call.command == nullptr && !call.help && !call.version) {
                for (const CommandSyntax& syntax : Commands()) {
                    if (syntax.name == arg) {
                        call.command = &syntax;
                    }
                }
                if (call.command == nullptr) {
                    throw UsageError("unknown command '" + arg + "'");
                }
            } else {
                call.arguments.push_back(arg);
            }
            continue;
        }
        if (arg == "--") {
            optionsEnd = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            call.help = true;
            continue;
        }
        if (arg == "--version") {
            call.version = true;
            continue;
        }
        std::optional<std::string> inlineValue;
        if (auto eq = arg.find('='); eq != std::string::npos) {
            inlineValue = arg.substr(eq + 1);
            arg.resize(eq);
        }
        auto takeValue = [&]() {
            if (inlineValue) {
                return *inlineValue;
            }
            if (i + 1 >= args.size()) {
                throw UsageError(arg + " needs a value");
            }
            return args[++i];
        };
        if (arg == "--dir") {
            call.dir = takeValue();
            if (call.dir.empty()) {
                throw UsageError("--dir needs a folder");
            }
            continue;
        }
        if (arg == "--registry") {
            call.registry = takeValue();
            continue;
        }
        // The command's options may come before or after its arguments; the
        // command decides which take a value.
        const CommandSyntax* syntax = call.command;
        bool valued = syntax != nullptr && syntax->valued.count(arg) != 0;
        bool flag = syntax != nullptr && syntax->flags.count(arg) != 0;
        if (valued) {
            call.values[arg] = takeValue();
        } else if (flag && !inlineValue) {
            call.flags.insert(arg);
        } else if (syntax == nullptr) {
            throw UsageError("option " + arg + " before the command");
        } else {
            throw UsageError("unknown option " + arg + " for '" + std::string(syntax->name) + "'");
        }
    }
    if (call.help || call.version) {
        return call;
    }
    if (call.command == nullptr) {
        throw UsageError("no command given");
    }
    // `test --all` takes no alias name.
    if (call.command->name == "test" && call.Has("--all")) {
        if (!call.arguments.empty()) {
            throw UsageError("'test --all' takes no alias name");
        }
        return call;
    }
    if (call.arguments.size() != call.command->arguments) {
        throw UsageError("'" + std::string(call.command->name) + "' takes " +
                         std::to_string(call.command->arguments) + " argument" +
                         (call.command->arguments == 1 ? "" : "s") + ", " +
                         std::to_string(call.arguments.size()) + " given");
    }
    return call;
}

// The work directory, absolute and ending in the path separator.
std::string WorkDirectory(const std::string& dir) {
    if (dir.empty()) {
        return platform::CurrentDirectory();
    }
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(std::filesystem::path(dir), error);
    if (error) {
        throw FileError("Cannot open folder " + dir);
    }
    std::string text = path.lexically_normal().string();
    while (text.size() > 1 && text.back() == platform::PathSeparator()) {
        text.pop_back();
    }
    return text + platform::PathSeparator();
}

// ---- Output -----------------------------------------------------------------

std::string Trimmed(std::string_view text) {
    return std::string(platform::Trim(text));
}

// A message on standard error.
void Tell(Io& io, const std::string& utf8) {
    io.err << Message("kvrcfg: " + utf8) << '\n';
}

void PrintJson(Io& io, const Json& json) {
    io.out << json.dump(2) << '\n';
}

std::string Masked(std::string_view password, bool reveal) {
    return reveal || password.empty() ? std::string(password) : std::string(kMask);
}

// The alias's decoded fields; a value that does not decode names its alias.
Fields Values(AliasStore& store, const std::string& alias) {
    try {
        return store.ReadValues(alias);
    } catch (const ConvertError& e) {
        throw ConvertError("KVR別名[" + Utf8(alias) + "]: " + e.what());
    }
}

Json AliasJson(const std::string& alias, const Fields& values, bool reveal) {
    Json json;
    json["name"] = TextToJson(alias);
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        json[kFields[i].jsonName] =
            TextToJson(i == kPasswordField ? Masked(values[i], reveal) : values[i]);
    }
    return json;
}

// ---- Commands ---------------------------------------------------------------

int List(AliasStore& store, const Invocation& call, Io& io) {
    const std::vector<std::string> names = store.Names();
    if (call.Has("--json")) {
        Json json = Json::array();
        for (const std::string& name : names) {
            json.push_back(TextToJson(name));
        }
        PrintJson(io, json);
    } else {
        for (const std::string& name : names) {
            io.out << ToTerminal(name) << '\n';
        }
    }
    return kDone;
}

int Show(AliasStore& store, const Invocation& call, Io& io) {
    const std::string alias = store.Require(FromTerminal(call.arguments[0], "the alias name"));
    const Fields values = Values(store, alias);
    const bool reveal = call.Has("--reveal");
    if (call.Has("--json")) {
        PrintJson(io, AliasJson(alias, values, reveal));
        return kDone;
    }
    io.out << "Name:         " << ToTerminal(alias) << '\n';
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        std::string key = std::string(kFields[i].key) + ":";
        key.resize(14, ' ');
        io.out << key << ToTerminal(i == kPasswordField ? Masked(values[i], reveal) : values[i])
               << '\n';
    }
    return kDone;
}

int Add(AliasStore& store, const Invocation& call, Io&) {
    store.Add(Trimmed(FromTerminal(call.arguments[0], "the alias name")));
    return kDone;
}

std::string ReadPassword(const Invocation& call, Io& io) {
    if (call.Has("--password-stdin")) {
        std::string line;
        if (!std::getline(io.in, line) && line.empty()) {
            throw UsageError("--password-stdin: no line on standard input");
        }
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        return FromTerminal(line, "the password");
    }
    std::optional<std::string> typed = io.readSecret("Password: ");
    if (!typed) {
        throw UsageError("--password-prompt: no terminal to ask on (use --password-stdin)");
    }
    return FromTerminal(*typed, "the password");
}

int Set(AliasStore& store, const Invocation& call, Io& io) {
    if (call.Has("--password-stdin") && call.Has("--password-prompt")) {
        throw UsageError("--password-stdin and --password-prompt exclude each other");
    }
    std::array<std::optional<std::string>, kFields.size()> given;
    for (std::size_t i = 0; i < kPasswordField; ++i) {
        if (const std::string* value = call.Value(kFields[i].option)) {
            given[i] = FromTerminal(*value, kFields[i].option);
        }
    }
    if (call.Has("--password-stdin") || call.Has("--password-prompt")) {
        given[kPasswordField] = ReadPassword(call, io);
    }
    if (std::none_of(given.begin(), given.end(), [](const auto& v) { return v.has_value(); })) {
        throw UsageError("'set' needs at least one of --database, --server, --user, --password-*");
    }
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        if (given[i]) {
            AliasStore::CheckValue(i, *given[i]);
        }
    }
    const std::string alias = store.Require(FromTerminal(call.arguments[0], "the alias name"));
    // Fields not given keep their values; only they need to decode. The write
    // goes through only while the stored texts are still those read, so sets
    // of other fields running at the same time are never lost: read again.
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const Fields stored = store.ReadStored(alias);
        Fields values;
        for (std::size_t i = 0; i < kFields.size(); ++i) {
            if (given[i]) {
                values[i] = *given[i];
                continue;
            }
            try {
                values[i] = CEncrpyt().Decrypt(stored[i]);
            } catch (const ConvertError& e) {
                throw ConvertError("KVR別名[" + Utf8(alias) + "] " + kFields[i].key + ": " +
                                   e.what());
            }
        }
        if (store.WriteValues(alias, values, &stored)) {
            return kDone;
        }
    }
    throw FileError(
        "Cannot create file " + store.Path() + "\n" +
        texts::Say(KVR_TEXT("kvrcfg", "Other programs keep changing %1."), {store.Path()}));
}

int Rename(AliasStore& store, const Invocation& call, Io&) {
    const std::string oldName = store.Require(FromTerminal(call.arguments[0], "the alias name"));
    const std::string newName = Trimmed(FromTerminal(call.arguments[1], "the new name"));
    if (newName != oldName) {
        store.Rename(oldName, newName);
    }
    return kDone;
}

int Delete(AliasStore& store, const Invocation& call, Io&) {
    store.Delete(store.Require(FromTerminal(call.arguments[0], "the alias name")));
    return kDone;
}

int Test(AliasStore& store, const Invocation& call, Io& io) {
    std::string timeout;
    if (const std::string* value = call.Value("--timeout")) {
        bool digits = !value->empty() && value->size() <= 5 &&
                      value->find_first_not_of("0123456789") == std::string::npos;
        if (!digits || std::stoi(*value) < 1) {
            throw UsageError("--timeout takes a whole number of seconds, 1 or more");
        }
        timeout = std::to_string(std::stoi(*value));
    }
    const std::string alias = store.Require(FromTerminal(call.arguments[0], "the alias name"));
    const Fields values = Values(store, alias);
    std::string connectionString =
        BuildConnectionString(Utf8(values[1]), Utf8(values[2]), Utf8(values[3]), Utf8(values[0]));
    if (!timeout.empty()) {
        // The last of repeated keys wins, so this overrides the default.
        connectionString += ";Connect Timeout=" + timeout;
    }

    const auto start = std::chrono::steady_clock::now();
    ConnectionOutcome outcome;
    try {
        outcome = OpenConnectionOnce(connectionString);
    } catch (const std::exception& e) {
        outcome = {false, e.what()};
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    const std::string explanation = outcome.succeeded ? "" : Explanation(outcome.reason);
    if (call.Has("--json")) {
        Json json;
        json["name"] = TextToJson(alias);
        json["connected"] = outcome.succeeded;
        json["milliseconds"] = ms;
        json["reason"] = outcome.succeeded ? nullptr : Json(ReasonName(outcome.reason));
        json["explanation"] = explanation;
        json["detail"] = TextToJson(outcome.detail);
        PrintJson(io, json);
    } else if (outcome.succeeded) {
        io.out << Message("連線成功!! (" + std::to_string(ms) + " ms)") << '\n';
    } else {
        io.out << Message("連線失敗!! (" + std::to_string(ms) + " ms)") << '\n';
        if (!explanation.empty()) {
            io.out << Message(explanation) << '\n';
        }
        if (!outcome.detail.empty()) {
            io.out << Message(outcome.detail) << '\n';
        }
    }
    return outcome.succeeded ? kDone : kNegative;
}

int CheckCommand(AliasStore& store, const Invocation& call, Io& io) {
    const std::vector<Finding> findings = CheckAliasFile(store.Bytes());
    if (call.Has("--json")) {
        Json json = Json::array();
        for (const Finding& f : findings) {
            json.push_back({{"line", f.line},
                            {"alias", TextToJson(f.alias)},
                            {"kind", f.kind},
                            {"message", f.message}});
        }
        PrintJson(io, json);
    } else {
        for (const Finding& f : findings) {
            io.out << "KVRCFG:" << f.line << ": ";
            if (!f.alias.empty()) {
                io.out << '[' << ToTerminal(f.alias) << "] ";
            }
            io.out << Message(f.message) << '\n';
        }
    }
    return findings.empty() ? kDone : kNegative;
}

int Export(AliasStore& store, const Invocation& call, Io& io) {
    const bool reveal = call.Has("--reveal");
    Json aliases = Json::array();
    std::set<std::u16string> seen;
    for (const std::string& name : store.Names()) {
        // A repeated header reads the first section's fields: one entry.
        if (!seen.insert(platform::FoldCase(name)).second) {
            Tell(io, texts::Say(KVR_TEXT("kvrcfg", "Alias [%1] is repeated; it was exported once."),
                                {Utf8(name)}));
            continue;
        }
        aliases.push_back(AliasJson(name, Values(store, name), reveal));
    }
    Json json;
    json["kvrcfg"] = 1;
    json["codePage"] = platform::AnsiCodePage();
    json["passwords"] = reveal ? "revealed" : "masked";
    json["aliases"] = std::move(aliases);
    PrintJson(io, json);
    return kDone;
}

struct Imported {
    std::string name;
    Fields values;
    bool maskedPassword = false;
};

// With keepMasked, a masked password is taken (maskedPassword) instead of
// refused.
std::vector<Imported> ReadImport(const std::string& file, Io& io, bool keepMasked = false) {
    std::string bytes;
    if (file == "-") {
        bytes.assign(std::istreambuf_iterator<char>(io.in), std::istreambuf_iterator<char>());
    } else if (platform::ReadWholeFile(file, bytes) != platform::ReadStatus::Ok) {
        throw FileError("Cannot open file " + file);
    }
    Json json;
    try {
        json = Json::parse(bytes);
    } catch (const Json::parse_error& e) {
        throw FileError(file + " is not JSON: " + e.what());
    }
    bool masked = false;
    const Json* list = &json;
    if (json.is_object()) {
        masked = json.value("passwords", "") == "masked";
        if (!json.contains("aliases")) {
            throw Refusal(file + ": no \"aliases\"");
        }
        list = &json["aliases"];
    }
    if (!list->is_array()) {
        throw Refusal(file + ": the aliases must be a JSON array");
    }
    std::vector<Imported> result;
    std::map<std::u16string, std::string> names;
    for (const Json& entry : *list) {
        const std::string where = file + ": alias " + std::to_string(result.size() + 1);
        if (!entry.is_object() || !entry.contains("name")) {
            throw Refusal(where + ": expected an object with a \"name\"");
        }
        Imported alias;
        alias.name = TextFromJson(entry["name"], where + " name");
        AliasStore::CheckName(alias.name);
        const std::string label = file + ": KVR別名[" + Utf8(alias.name) + "]";
        if (!names.emplace(platform::FoldCase(alias.name), alias.name).second) {
            throw Refusal(label + " appears twice");
        }
        for (const auto& [member, value] : entry.items()) {
            bool known = member == "name";
            for (const FieldInfo& field : kFields) {
                known = known || member == field.jsonName;
            }
            if (!known) {
                throw Refusal(label + ": unknown member \"" + member + "\"");
            }
        }
        for (std::size_t i = 0; i < kFields.size(); ++i) {
            if (entry.contains(kFields[i].jsonName)) {
                alias.values[i] =
                    TextFromJson(entry[kFields[i].jsonName], label + " " + kFields[i].jsonName);
            }
            AliasStore::CheckValue(i, alias.values[i]);
        }
        const std::string& password = alias.values[kPasswordField];
        if (!password.empty() && (masked || password == kMask) && keepMasked) {
            alias.maskedPassword = true;
        } else if (!password.empty() && (masked || password == kMask)) {
            throw Refusal(label + ": the password is masked; export with --reveal to import");
        }
        result.push_back(std::move(alias));
    }
    return result;
}

int Import(AliasStore& store, const Invocation& call, Io& io) {
    // Everything is read and checked before the first write.
    const std::vector<Imported> aliases = ReadImport(call.arguments[0], io);
    const bool replace = call.Has("--replace");
    int added = 0;
    int replaced = 0;
    int kept = 0;
    std::vector<std::pair<std::string, Fields>> writes;
    // The names already there, as Find finds them (the first of a spelling).
    std::map<std::u16string, std::string> present;
    for (std::string& name : store.Names()) {
        present.emplace(platform::FoldCase(name), std::move(name));
    }
    for (const Imported& alias : aliases) {
        auto found = present.find(platform::FoldCase(alias.name));
        if (found != present.end()) {
            const std::string* existing = &found->second;
            if (!replace) {
                Tell(io, texts::Say(KVR_TEXT("kvrcfg",
                                             "Alias [%1] exists already and was left alone "
                                             "(--replace overwrites it)."),
                                    {Utf8(*existing)}));
                ++kept;
                continue;
            }
            writes.emplace_back(*existing, alias.values);
            ++replaced;
            continue;
        }
        writes.emplace_back(alias.name, alias.values);
        ++added;
    }
    if (!writes.empty()) {
        store.WriteMany(writes);
    }
    Tell(io, texts::Say(KVR_TEXT("kvrcfg", "%1 added, %2 replaced, %3 left alone."),
                        {std::to_string(added), std::to_string(replaced), std::to_string(kept)}));
    return kDone;
}

// The registry --registry names (a file), else the machine's own.
struct RegistryChoice {
    std::unique_ptr<platform::Registry> registry;
    std::string name;  // for messages
    std::string file;  // the file of --registry; empty for the machine's
};

RegistryChoice ChooseRegistry(const std::string& file) {
    if (file.empty()) {
        return {platform::MachineRegistry(),
                texts::Say(KVR_TEXT("kvrcfg", "the machine's registry")),
                {}};
    }
    return {std::make_unique<platform::FileRegistry>(file), file, file};
}

int Publish(const std::string& workDir, const RegistryChoice& choice) {
    std::error_code error;
    if (!std::filesystem::is_directory(std::filesystem::path(workDir), error)) {
        throw FileError("Cannot open folder " + workDir);
    }
    const platform::Registry& registry = *choice.registry;
    PublishMachineSettings(workDir, registry);
    // The publication itself reports nothing: read the value back.
    auto value = registry.OpenKey("SOFTWARE", platform::kKeyQueryValue).QueryValue("KVRPath");
    if (!value || *value != platform::StringValue(platform::RegType::Sz, workDir)) {
        const std::string first = "Cannot publish KVRPath in " + choice.name;
        // A registry file gives the cause, as any file does.
        throw RegistryError(choice.file.empty() ? first
                                                : texts::WithWriteCause(first, choice.file));
    }
    return kDone;
}

// ---- apply, test --all, recode: their options ------------------------------

std::vector<DeclaredAlias> Declared(std::vector<Imported> aliases) {
    std::vector<DeclaredAlias> declared;
    for (Imported& alias : aliases) {
        declared.push_back({std::move(alias.name), std::move(alias.values), alias.maskedPassword});
    }
    return declared;
}

int WholeNumber(const Invocation& call, std::string_view option, int fallback, int most) {
    const std::string* value = call.Value(option);
    if (value == nullptr) {
        return fallback;
    }
    bool digits = !value->empty() && value->size() <= 5 &&
                  value->find_first_not_of("0123456789") == std::string::npos;
    if (!digits || std::stoi(*value) < 1 || std::stoi(*value) > most) {
        throw UsageError(std::string(option) + " takes a whole number from 1 to " +
                         std::to_string(most));
    }
    return std::stoi(*value);
}

ApplyOptions ApplyOptionsOf(const Invocation& call) {
    return {call.Has("--check"), call.Has("--diff"), call.Has("--prune"), call.Has("--json")};
}

TestAllOptions TestAllOptionsOf(const Invocation& call) {
    return {WholeNumber(call, "--jobs", 4, 64), WholeNumber(call, "--timeout", 15, 99999),
            call.Has("--json")};
}

RecodeOptions RecodeOptionsOf(const Invocation& call) {
    auto codePage = [&](std::string_view option) -> std::string {
        const std::string* value = call.Value(option);
        if (value == nullptr) {
            return platform::AnsiCodePage();  // the one in force
        }
        const int number = WholeNumber(call, option, 0, 65535);
        const std::string name = platform::CodePageName(static_cast<unsigned>(number));
        if (!platform::SetAnsiCodePage(name)) {
            throw UsageError(std::string(option) + ": there is no code page " + *value + " here");
        }
        return name;
    };
    if (call.Value("--to") == nullptr) {
        throw UsageError("recode needs --to CODEPAGE");
    }
    const std::string inForce = platform::AnsiCodePage();
    RecodeOptions options{codePage("--from"), codePage("--to"), call.Has("--check")};
    platform::SetAnsiCodePage(inForce);
    return options;
}

std::string Sentence(std::string message) {
    // A sentence our texts end in Chinese has its own full stop.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.' &&
        !message.ends_with("。") && !message.ends_with("！") && !message.ends_with("？")) {
        message += '.';
    }
    return message;
}

}  // namespace

std::string HelpText() {
    return R"(Usage: kvrcfg [--dir DIR] COMMAND [ARGUMENTS]

Reads and changes the alias file KVRCFG of a work directory, as the Kavrolis
editor does, under the same locks and rules.

Commands:
  list [--json]                 the aliases' names, one a line, in file order
  show NAME [--json] [--reveal] the alias's four fields (password masked)
  add NAME                      a new alias without fields
  set NAME [--database TEXT] [--server TEXT] [--user TEXT]
           [--password-stdin | --password-prompt]
                                change the given fields; the others keep theirs
  rename OLD NEW                give the alias another name
  delete NAME                   remove the alias and its fields
  test NAME [--timeout SECONDS] [--json]
                                open one connection with the saved fields
  test --all [--jobs N] [--timeout SECONDS] [--json]
                                test every alias, N at a time (default 4)
  check [--json]                list what would trouble the editor or the suite
  export [--reveal]             every alias as JSON on standard output
  import FILE [--replace]       add the aliases of an export (FILE "-": stdin)
  publish                       publish the work directory in the registry
  apply FILE [--check] [--diff] [--prune] [--json]
                                make the aliases those of an export (FILE
                                "-": stdin) in one step; --prune deletes the
                                others, --check writes nothing
  recode --to CODEPAGE [--from CODEPAGE] [--check]
                                carry names and values to another code page
                                (numbers as Windows gives them: 950, 65001)

Options:
  --dir DIR          the work directory (default: the current directory)
  --registry FILE    a REGEDIT4 file to use as the registry (default: the
                     machine's, /etc/kavrolis/registry.reg on Linux)
  --help, --version

Names are found ignoring letter case. A password is never taken from the
command line: --password-stdin reads one line, --password-prompt asks on the
terminal without echo. In JSON, text that is not valid in the code page is
given as {"hex": "..."}, its bytes in hex, so an export imports back exactly.
apply leaves an alias whose values are already the declared ones untouched, so
running it again changes nothing; a masked password ("*****") keeps the stored
one. Passwords are never shown by --diff.

Exit status: 0 done; 1 refused, the test failed or check found something;
2 wrong usage; 3 a file or registry error.

Examples:
  kvrcfg --dir /srv/suite list
  kvrcfg add Sales
  printf '%s\n' "$PW" | kvrcfg set Sales --server 'db1,1433' --user sa \
      --database sales --password-stdin
  kvrcfg test Sales --timeout 5
  kvrcfg check --json
  kvrcfg export --reveal > aliases.json
  kvrcfg --dir /srv/other import aliases.json --replace
  kvrcfg apply aliases.json --check --diff
  kvrcfg test --all --jobs 8 --timeout 5
  kvrcfg recode --from 65001 --to 950 --check
)";
}

int Run(const std::vector<std::string>& args, Io& io) {
    try {
        Invocation call = Parse(args);
        if (call.help) {
            io.out << HelpText();
            return kDone;
        }
        if (call.version) {
            io.out << "kvrcfg " << KVRCFG_VERSION << '\n';
            return kDone;
        }
        const std::string workDir = WorkDirectory(call.dir);
        const RegistryChoice registry = ChooseRegistry(call.registry);
        // The alias file is read in the machine's code page, as every program
        // of ours reads it, whatever the terminal's.
        if (platform::UseMachineCodePage(*registry.registry) ==
            platform::MachineCodePage::Unknown) {
            Tell(io, texts::Say(KVR_TEXT("kvrcfg",
                                         "The machine's code page (ACP in %1) is unknown here; "
                                         "the system's is used."),
                                {registry.name}));
        }
        SetTerminalIsAnsi(platform::TerminalIsAnsi());
        AliasStore store(workDir);
        const std::string_view name = call.command->name;
        if (name == "list")
            return List(store, call, io);
        if (name == "show")
            return Show(store, call, io);
        if (name == "add")
            return Add(store, call, io);
        if (name == "set")
            return Set(store, call, io);
        if (name == "rename")
            return Rename(store, call, io);
        if (name == "delete")
            return Delete(store, call, io);
        if (name == "test" && !call.Has("--all") && call.Value("--jobs") != nullptr)
            throw UsageError("--jobs goes with --all");
        if (name == "test" && call.Has("--all"))
            return TestAll(store, TestAllOptionsOf(call), io);
        if (name == "test")
            return Test(store, call, io);
        if (name == "apply")
            return Apply(store, Declared(ReadImport(call.arguments[0], io, true)),
                         ApplyOptionsOf(call), io);
        if (name == "recode")
            return Recode(store, RecodeOptionsOf(call), io);
        if (name == "check")
            return CheckCommand(store, call, io);
        if (name == "export")
            return Export(store, call, io);
        if (name == "import")
            return Import(store, call, io);
        return Publish(workDir, registry);
    } catch (const UsageError& e) {
        Tell(io, std::string(e.what()) + " (see kvrcfg --help)");
        return kUsage;
    } catch (const Refusal& e) {
        Tell(io, e.what());
        return kNegative;
    } catch (const std::exception& e) {
        Tell(io, Sentence(e.what()));
        return kFileError;
    }
}

}  // namespace kvr::cli
