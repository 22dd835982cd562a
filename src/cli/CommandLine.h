#pragma once
// kvrcfg's command line read into an Invocation, against a table of commands.
// Reading starts no process and touches no file.
#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kvr::cli {

struct Session;

// A row of the command table: the command's name, its syntax and what runs it.
struct Command {
    std::string_view name;
    std::size_t arguments;  // positional arguments, exactly
    std::set<std::string_view> flags;
    std::set<std::string_view> valued;  // options that take a value
    int (*run)(Session&);
};

struct Invocation {
    std::string dir;
    std::string registry;
    const Command* command = nullptr;
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

// The command line read, or what is wrong with it (`error` not empty then).
struct ParsedLine {
    Invocation call;
    std::string error;
};

// Reads the arguments (without the program's name). The global options --dir
// and --registry, --help and --version may stand anywhere; a command's own
// options may come before or after its arguments; "--" ends the options.
ParsedLine ParseCommandLine(const std::vector<std::string>& args,
                            const std::vector<Command>& commands);

}  // namespace kvr::cli
