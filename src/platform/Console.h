#pragma once
// The terminal the program was started from, for the few things a command
// line needs beyond its standard streams.
#include <optional>
#include <string>
#include <string_view>

namespace kvr::platform {

// Shows prompt on the terminal and reads one line there without echoing it,
// without its line end. Nothing when the process has no terminal or the
// input ends before a line.
std::optional<std::string> ReadSecretFromTerminal(std::string_view prompt);

}  // namespace kvr::platform
