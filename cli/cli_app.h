// vantrel-cli: every controller operation from the command line. RunCli takes the arguments after the
// program name and two streams, so tests and the benchmark run commands in their own process.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

// Part of the interface: scripts branch on these.
enum ExitStatus : int {
    kExitSuccess = 0,
    kExitUsage = 1,
    kExitNoController = 2,  // nothing identified, or the port does not open
    kExitRefused = 3,       // a value, name, controller type or file refused
    kExitNotConfirmed = 4,  // a write the controller did not confirm, or a value it did not take
    kExitDifferent = 5,     // diff: the two sides hold different values
};

struct CliOptions {
    // Status texts redraw one line instead of adding lines.
    bool statusOnTerminal = false;
    // Standard output is a terminal: monitor redraws its table in place.
    bool outputOnTerminal = false;
};

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliOptions& options = {});

}  // namespace cli
