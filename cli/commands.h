// The commands of vantrel-cli as plain functions: options in, results on io.out, progress and errors
// on io.err, the exit status back. cli_app.cpp turns the command line into these calls.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/cli_prompter.h"
#include "core/family.h"

namespace cli {

class StatusLine;

struct CommandIo {
    std::ostream& out;
    std::ostream& err;
    CliPrompter& prompter;
    StatusLine* status = nullptr;  // ended before anything else is written to the terminal
};

// The two streams, with a drawn status line ended first so that text never lands behind it.
std::ostream& Out(CommandIo& io);
std::ostream& Err(CommandIo& io);

struct ConnectOptions {
    std::string port;              // empty: the port list's own choice
    std::vector<Family> families;  // empty: all three
};

// "vantrel-cli: <message>" on one line; gives the status back.
int Fail(CommandIo& io, int status, const std::string& message);

int PortsCommand(bool json, CommandIo& io);
int ProbeCommand(const ConnectOptions& connect, CommandIo& io);
int ReadCommand(const ConnectOptions& connect, bool json, CommandIo& io);
int FaultsCommand(const ConnectOptions& connect, bool json, CommandIo& io);
// Writes a new file, or replaces a regular file only with force.
int BackupCommand(const ConnectOptions& connect, const std::filesystem::path& file,
                  const std::string& customer, bool force, CommandIo& io);
// What set and load do with the changes: show them, or write them after saving a safety backup of the
// controller's values (refused when that backup cannot be saved, unless it is turned off).
struct WriteOptions {
    bool write = false;
    bool safetyBackup = true;
};
int LoadCommand(const ConnectOptions& connect, const std::filesystem::path& file, const WriteOptions& write,
                bool json, CommandIo& io);
int SetCommand(const ConnectOptions& connect, const std::vector<std::string>& assignments,
               const WriteOptions& write, bool json, CommandIo& io);
// One typed frame of the family: checked and described, its checksum written in with fix, sent and
// the answer described with send.
int RawCommand(const std::string& portOption, Family family, bool fix, bool send,
               const std::vector<std::string>& hex, CommandIo& io);
int InspectCommand(const std::filesystem::path& file, bool json, CommandIo& io);

}  // namespace cli
