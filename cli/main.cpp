// vantrel-cli: the command line's entry point; everything else is in vantrel_cli_lib.
#include <iostream>

#include "cli/cli_app.h"
#include "cli/console.h"

int main(int argc, char** argv) {
    cli::PrepareConsole();
    const std::vector<std::string> args(argv + 1, argv + argc);
    cli::CliOptions options;
    options.statusOnTerminal = cli::StandardErrorIsTerminal();
    options.outputOnTerminal = cli::StandardOutputIsTerminal();
    const int status = cli::RunCli(args, std::cout, std::cerr, options);
    std::cout.flush();
    return status;
}
