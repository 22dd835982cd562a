// kvrcfg: the alias file from the command line, for scripts and for machines
// without a screen. The locale decides the code page, as for the editor.
#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "platform/Console.h"

int main(int argc, char* argv[]) {
    std::setlocale(LC_ALL, "");
    std::vector<std::string> args(argv + 1, argv + argc);
    kvr::cli::Io io{std::cout, std::cerr, std::cin, kvr::platform::ReadSecretFromTerminal};
    int status = kvr::cli::Run(args, io);
    std::cout.flush();
    return std::cout ? status : kvr::cli::kFileError;
}
