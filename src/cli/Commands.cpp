#include "cli/Commands.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <istream>
#include <memory>
#include <ostream>

#include "cli/AliasStore.h"
#include "cli/Apply.h"
#include "cli/Check.h"
#include "cli/CommandLine.h"
#include "cli/Explanation.h"
#include "cli/ImportExport.h"
#include "cli/Recode.h"
#include "cli/Session.h"
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

constexpr SourceText kCannotOpenFolder = KVR_TEXT("kvrcfg", "Cannot open folder %1");
constexpr SourceText kThePassword = KVR_TEXT("kvrcfg", "the password");

// The work directory, absolute and ending in the path separator.
std::string WorkDirectory(const std::string& dir) {
    if (dir.empty()) {
        return platform::CurrentDirectory();
    }
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(std::filesystem::path(dir), error);
    if (error) {
        throw FileError(texts::Say(kCannotOpenFolder, {dir}));
    }
    // A typo must not read as an empty alias file: list and export would
    // answer with nothing, as if that were all.
    if (!std::filesystem::is_directory(path, error)) {
        throw FileError(texts::Say(kCannotOpenFolder, {dir}));
    }
    std::string text = path.lexically_normal().string();
    while (text.size() > 1 && text.back() == platform::PathSeparator()) {
        text.pop_back();
    }
    return text + platform::PathSeparator();
}

// ---- Commands ---------------------------------------------------------------

int List(Session& session) {
    AliasStore& store = session.store;
    const Invocation& call = session.call;
    Io& io = session.io;
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

int Show(Session& session) {
    AliasStore& store = session.store;
    const Invocation& call = session.call;
    Io& io = session.io;
    const std::string alias = store.Require(NameArgument(call, 0));
    const Fields values = AliasValues(store, alias);
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

int Add(Session& session) {
    AliasStore& store = session.store;
    const Invocation& call = session.call;
    store.Add(NameArgument(call, 0));
    return kDone;
}

std::string ReadPassword(const Invocation& call, Io& io) {
    if (call.Has("--password-stdin")) {
        std::string line;
        if (!std::getline(io.in, line) && line.empty()) {
            throw UsageError(
                texts::Say(KVR_TEXT("kvrcfg", "--password-stdin: no line on standard input")));
        }
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        return FromTerminal(line, texts::Say(kThePassword));
    }
    std::optional<std::string> typed =
        io.readSecret(Message(texts::Say(KVR_TEXT("kvrcfg", "Password: "))));
    if (!typed) {
        throw UsageError(texts::Say(
            KVR_TEXT("kvrcfg", "--password-prompt: no terminal to ask on (use --password-stdin)")));
    }
    return FromTerminal(*typed, texts::Say(kThePassword));
}

int Set(Session& session) {
    AliasStore& store = session.store;
    const Invocation& call = session.call;
    Io& io = session.io;
    if (call.Has("--password-stdin") && call.Has("--password-prompt")) {
        throw UsageError(texts::Say(
            KVR_TEXT("kvrcfg", "--password-stdin and --password-prompt exclude each other")));
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
        throw UsageError(texts::Say(KVR_TEXT(
            "kvrcfg", "'set' needs at least one of --database, --server, --user, --password-*")));
    }
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        if (given[i]) {
            AliasStore::CheckValue(i, *given[i]);
        }
    }
    const std::string alias = store.Require(NameArgument(call, 0));
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
    throw FileError("Cannot create file " + store.Path() + "\n" +
                    texts::Say(kKeepsChanging, {store.Path()}));
}

int Rename(Session& session) {
    AliasStore& store = session.store;
    const Invocation& call = session.call;
    const std::string oldName = store.Require(NameArgument(call, 0));
    const std::string newName =
        NameArgument(call, 1, texts::Say(KVR_TEXT("kvrcfg", "the new name")));
    if (newName != oldName) {
        store.Rename(oldName, newName);
    }
    return kDone;
}

int Delete(Session& session) {
    AliasStore& store = session.store;
    const Invocation& call = session.call;
    store.Delete(store.Require(NameArgument(call, 0)));
    return kDone;
}

int Test(Session& session) {
    AliasStore& store = session.store;
    const Invocation& call = session.call;
    Io& io = session.io;
    std::string timeout;
    if (const std::string* value = call.Value("--timeout")) {
        bool digits = !value->empty() && value->size() <= 5 &&
                      value->find_first_not_of("0123456789") == std::string::npos;
        if (!digits || std::stoi(*value) < 1) {
            throw UsageError(texts::Say(
                KVR_TEXT("kvrcfg", "--timeout takes a whole number of seconds, 1 or more")));
        }
        timeout = std::to_string(std::stoi(*value));
    }
    const std::string alias = store.Require(NameArgument(call, 0));
    const Fields values = AliasValues(store, alias);
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

int CheckCommand(Session& session) {
    AliasStore& store = session.store;
    const Invocation& call = session.call;
    Io& io = session.io;
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

// The registry --registry names (a file), else the machine's own.
RegistryChoice ChooseRegistry(const std::string& file) {
    if (file.empty()) {
        return {platform::MachineRegistry(),
                texts::Say(KVR_TEXT("kvrcfg", "the machine's registry")),
                {}};
    }
    return {std::make_unique<platform::FileRegistry>(file), file, file};
}

int Publish(Session& session) {
    const std::string& workDir = session.workDir;
    const RegistryChoice& choice = session.registry;
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
        throw UsageError(texts::Say(KVR_TEXT("kvrcfg", "%1 takes a whole number from 1 to %2"),
                                    {option, std::to_string(most)}));
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
            throw UsageError(texts::Say(KVR_TEXT("kvrcfg", "%1: there is no code page %2 here"),
                                        {option, *value}));
        }
        return name;
    };
    if (call.Value("--to") == nullptr) {
        throw UsageError(texts::Say(KVR_TEXT("kvrcfg", "recode needs --to CODEPAGE")));
    }
    const platform::CodePageRestorer inForce;
    return {codePage("--from"), codePage("--to"), call.Has("--check")};
}

int TestCommand(Session& session) {
    const Invocation& call = session.call;
    if (!call.Has("--all")) {
        if (call.Value("--jobs") != nullptr) {
            throw UsageError(texts::Say(KVR_TEXT("kvrcfg", "--jobs goes with --all")));
        }
        return Test(session);
    }
    return TestAll(session.store, TestAllOptionsOf(call), session.io);
}

int ApplyCommand(Session& session) {
    return Apply(session.store,
                 Declared(ReadAliasesFrom(session.call.arguments[0], session.io, true)),
                 ApplyOptionsOf(session.call), session.io);
}

int RecodeCommand(Session& session) {
    return Recode(session.store, RecodeOptionsOf(session.call), session.io);
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

// One row a command: its name, positional arguments, flags, options that take
// a value, and the function that runs it.
const std::vector<Command>& CommandTable() {
    static const std::vector<Command> table = {
        {"list", 0, {"--json"}, {}, List},
        {"show", 1, {"--json", "--reveal"}, {}, Show},
        {"add", 1, {}, {}, Add},
        {"set",
         1,
         {"--password-stdin", "--password-prompt"},
         {"--database", "--server", "--user"},
         Set},
        {"rename", 2, {}, {}, Rename},
        {"delete", 1, {}, {}, Delete},
        {"test", 1, {"--json", "--all"}, {"--timeout", "--jobs"}, TestCommand},
        {"check", 0, {"--json"}, {}, CheckCommand},
        {"export", 0, {"--reveal"}, {}, Export},
        {"import", 1, {"--replace"}, {}, Import},
        {"publish", 0, {}, {}, Publish},
        {"apply", 1, {"--check", "--diff", "--prune", "--json"}, {}, ApplyCommand},
        {"recode", 0, {"--check"}, {"--to", "--from"}, RecodeCommand},
    };
    return table;
}

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
        const ParsedLine parsed = ParseCommandLine(args, CommandTable());
        if (!parsed.error.empty()) {
            throw UsageError(parsed.error);
        }
        const Invocation& call = parsed.call;
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
        Session session{store, call, io, workDir, registry};
        return call.command->run(session);
    } catch (const UsageError& e) {
        Tell(io, texts::Say(KVR_TEXT("kvrcfg", "%1 (see kvrcfg --help)"), {e.what()}));
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
