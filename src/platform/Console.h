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

namespace kvr::platform {

// The terminal's text (command-line arguments and the standard streams) is in
// the system's own code page, which the machine's code page pinned for the
// alias file may differ from.

// Whether the terminal's code page is the ANSI code page in force, so that
// bytes pass between the two unchanged.
bool TerminalIsAnsi();
// Terminal bytes to UTF-16; bytes that form no character become U+FFFD.
std::u16string TerminalToUnicode(std::string_view text);
// UTF-16 to terminal bytes, for showing: characters the terminal's code page
// lacks become its substitution character.
std::string UnicodeToTerminal(std::u16string_view text);

}  // namespace kvr::platform
