#include "cli/CommandLine.h"

#include <optional>
#include <stdexcept>

#include "texts/Texts.h"

namespace kvr::cli {

namespace {

class Wrong : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

const Command* Find(const std::vector<Command>& commands, std::string_view name) {
    for (const Command& command : commands) {
        if (command.name == name) {
            return &command;
        }
    }
    return nullptr;
}

Invocation Read(const std::vector<std::string>& args, const std::vector<Command>& commands) {
    Invocation call;
    bool optionsEnd = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
            if (call.command == nullptr && !call.help && !call.version) {
                call.command = Find(commands, arg);
                if (call.command == nullptr) {
                    throw Wrong(texts::Say(KVR_TEXT("kvrcfg", "unknown command '%1'"), {arg}));
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
                throw Wrong(texts::Say(KVR_TEXT("kvrcfg", "%1 needs a value"), {arg}));
            }
            return args[++i];
        };
        if (arg == "--dir") {
            call.dir = takeValue();
            if (call.dir.empty()) {
                throw Wrong(texts::Say(KVR_TEXT("kvrcfg", "--dir needs a folder")));
            }
            continue;
        }
        if (arg == "--registry") {
            call.registry = takeValue();
            continue;
        }
        const Command* command = call.command;
        if (command == nullptr) {
            throw Wrong(texts::Say(KVR_TEXT("kvrcfg", "option %1 before the command"), {arg}));
        }
        if (command->valued.count(arg) != 0) {
            call.values[arg] = takeValue();
        } else if (command->flags.count(arg) != 0 && !inlineValue) {
            call.flags.insert(arg);
        } else {
            throw Wrong(
                texts::Say(KVR_TEXT("kvrcfg", "unknown option %1 for '%2'"), {arg, command->name}));
        }
    }
    if (call.help || call.version) {
        return call;
    }
    if (call.command == nullptr) {
        throw Wrong(texts::Say(KVR_TEXT("kvrcfg", "no command given")));
    }
    // `test --all` takes no alias name.
    const bool all = call.command->name == "test" && call.Has("--all");
    const std::size_t wanted = all ? 0 : call.command->arguments;
    if (call.arguments.size() != wanted) {
        throw Wrong(texts::Say(
            wanted == 1 ? KVR_TEXT("kvrcfg", "'%1' takes %2 argument, %3 given")
                        : KVR_TEXT("kvrcfg", "'%1' takes %2 arguments, %3 given"),
            {call.command->name, std::to_string(wanted), std::to_string(call.arguments.size())}));
    }
    return call;
}

}  // namespace

ParsedLine ParseCommandLine(const std::vector<std::string>& args,
                            const std::vector<Command>& commands) {
    ParsedLine parsed;
    try {
        parsed.call = Read(args, commands);
    } catch (const Wrong& e) {
        parsed.error = e.what();
    }
    return parsed;
}

}  // namespace kvr::cli
