#include "cli/CommandLine.h"

#include <optional>
#include <stdexcept>

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
                    throw Wrong("unknown command '" + arg + "'");
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
                throw Wrong(arg + " needs a value");
            }
            return args[++i];
        };
        if (arg == "--dir") {
            call.dir = takeValue();
            if (call.dir.empty()) {
                throw Wrong("--dir needs a folder");
            }
            continue;
        }
        if (arg == "--registry") {
            call.registry = takeValue();
            continue;
        }
        const Command* command = call.command;
        if (command == nullptr) {
            throw Wrong("option " + arg + " before the command");
        }
        if (command->valued.count(arg) != 0) {
            call.values[arg] = takeValue();
        } else if (command->flags.count(arg) != 0 && !inlineValue) {
            call.flags.insert(arg);
        } else {
            throw Wrong("unknown option " + arg + " for '" + std::string(command->name) + "'");
        }
    }
    if (call.help || call.version) {
        return call;
    }
    if (call.command == nullptr) {
        throw Wrong("no command given");
    }
    // `test --all` takes no alias name.
    const bool all = call.command->name == "test" && call.Has("--all");
    const std::size_t wanted = all ? 0 : call.command->arguments;
    if (call.arguments.size() != wanted) {
        throw Wrong("'" + std::string(call.command->name) + "' takes " + std::to_string(wanted) +
                    " argument" + (wanted == 1 ? "" : "s") + ", " +
                    std::to_string(call.arguments.size()) + " given");
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
