// The command line run in-process, its two streams kept apart.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"

namespace clitest {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

inline CliRun RunCommand(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::RunCli(args, out, err);
    return {status, out.str(), err.str()};
}

}  // namespace clitest
