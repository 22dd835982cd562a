#pragma once
// kvrcfg's commands over the alias file of one work directory.
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvr::cli {

// Exit statuses.
inline constexpr int kDone = 0;
inline constexpr int kNegative = 1;  // the command's own negative result or a refusal
inline constexpr int kUsage = 2;
inline constexpr int kFileError = 3;  // a file or registry error

struct Io {
    std::ostream& out;  // results
    std::ostream& err;  // messages
    std::istream& in;
    // Asks on the terminal without echo; nothing without a terminal.
    std::function<std::optional<std::string>(std::string_view prompt)> readSecret;
};

struct Command;
// The commands kvrcfg knows, each with its syntax and its function.
const std::vector<Command>& CommandTable();

// Runs the command line (without the program's name) and returns the exit status.
int Run(const std::vector<std::string>& args, Io& io);

// The text of --help.
std::string HelpText();

}  // namespace kvr::cli
