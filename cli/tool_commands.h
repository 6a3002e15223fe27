// The technician's tools of the command line: diff, report and monitor, each in a file of its own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace cli {

// Two files (portGiven false), or the connected controller against one file: every entry that
// differs. Exit 5 when anything differs.
int DiffCommand(const ConnectOptions& connect, bool portGiven,
                const std::vector<std::filesystem::path>& files, bool json, CommandIo& io);

struct ReportOptions {
    std::filesystem::path out;
    std::string customer;
    std::optional<std::filesystem::path> against;  // a backup whose values stand beside the controller's
    bool force = false;                            // replace a regular file already there
};
int ReportCommand(const ConnectOptions& connect, const ReportOptions& options, CommandIo& io);

struct MonitorOptions {
    uint32_t intervalMs = 500;  // from the start of one poll to the start of the next, at least
    uint32_t count = 0;         // polls; 0 until Ctrl-C
    std::optional<std::filesystem::path> csv;
    bool force = false;     // an existing CSV file may be replaced
    bool terminal = false;  // standard output is a terminal: the table is redrawn after every poll
};
int MonitorCommand(const ConnectOptions& connect, const MonitorOptions& options, CommandIo& io);

}  // namespace cli
