#include "cli/cli_app.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/cli_prompter.h"
#include "cli/commands.h"
#include "cli/connection.h"
#include "cli/output.h"
#include "cli/tool_commands.h"
#include "core/text.h"
#include "session/family_table.h"

namespace cli {

namespace {

constexpr const char* kFamilyHelp =
    "controller family to try: FJ, EV48-400-C or Tercel, any case (repeatable; "
    "default: all three, in that order)";

constexpr const char* kNoAutoBackupHelp =
    "write without first saving the controller's values to <program folder>/<family>/backups";

struct Arguments {
    std::string port;
    std::vector<std::string> familyNames;
    bool json = false;
    bool write = false;
    bool noAutoBackup = false;
    bool force = false;
    std::string file;
    std::string customer;
    std::vector<std::string> assignments;
    std::string rawFamily;
    bool fix = false;
    bool send = false;
    std::vector<std::string> hex;
};

CLI::Validator FamilyCheck() {
    return CLI::Validator(
        [](std::string& name) {
            return session::FamilyFromName(name) ? std::string() : "unknown family '" + name + "'";
        },
        "FAMILY");
}

// --port and --family, which every command that talks to a controller takes.
void AddConnectOptions(CLI::App* command, Arguments& arguments) {
    command->add_option("--port", arguments.port,
                        "serial port as the port list shows it (default: the port the list selects)");
    // One name per --family: a list would swallow the NAME=VALUE arguments that follow it.
    command->add_option("--family", arguments.familyNames, kFamilyHelp)
        ->allow_extra_args(false)
        ->check(FamilyCheck());
}

ConnectOptions ConnectFrom(const Arguments& arguments) {
    ConnectOptions connect{arguments.port, {}};
    for (const auto& name : arguments.familyNames)
        if (const auto family = session::FamilyFromName(name)) connect.families.push_back(*family);
    return connect;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliOptions& options) {
    CLI::App program{"Vantrel command line: identify, read, back up, tune and check traction controllers",
                     "vantrel-cli"};
    program.set_version_flag("--version", std::string("vantrel-cli ") + VANTREL_VERSION);
    program.require_subcommand(1);
    Arguments arguments;

    auto* ports =
        program.add_subcommand("ports", "list the serial ports; * marks the one used without --port");
    ports->add_flag("--json", arguments.json, "one JSON object");

    auto* probe = program.add_subcommand("probe", "identify the controller and print its family");
    AddConnectOptions(probe, arguments);

    auto* read = program.add_subcommand("read", "read every entry, grouped as the tuning page shows them");
    AddConnectOptions(read, arguments);
    read->add_flag("--json", arguments.json, "one JSON object");

    auto* faults =
        program.add_subcommand("faults", "current and historical faults, as the faults page lists them");
    AddConnectOptions(faults, arguments);
    faults->add_flag("--json", arguments.json, "one JSON object");

    auto* backup = program.add_subcommand("backup", "save the controller's settings to a backup file");
    AddConnectOptions(backup, arguments);
    backup->add_option("--out", arguments.file, "backup file to write")->required();
    backup->add_option("--customer", arguments.customer, "customer name kept in the backup");
    backup->add_flag("--force", arguments.force, "replace the file when it exists");

    auto* load = program.add_subcommand("load", "apply a backup or profile; writes only with --write");
    AddConnectOptions(load, arguments);
    load->add_option("--file", arguments.file, "backup or profile to apply")->required();
    load->add_flag("--write", arguments.write, "write the changes and read them back");
    load->add_flag("--no-auto-backup", arguments.noAutoBackup, kNoAutoBackupHelp);
    load->add_flag("--json", arguments.json, "one JSON object");

    auto* set = program.add_subcommand("set", "change entries by key or label; writes only with --write");
    AddConnectOptions(set, arguments);
    set->add_option("assignments", arguments.assignments, "NAME=VALUE, NAME being a key or a label")
        ->required();
    set->add_flag("--write", arguments.write, "write the changes and read them back");
    set->add_flag("--no-auto-backup", arguments.noAutoBackup, kNoAutoBackupHelp);
    set->add_flag("--json", arguments.json, "one JSON object");

    auto* inspect =
        program.add_subcommand("inspect", "show what a backup or profile holds, without a controller");
    inspect->add_option("file", arguments.file, "backup or profile")->required();
    inspect->add_flag("--json", arguments.json, "one JSON object");

    std::vector<std::string> diffFiles;
    auto* diff = program.add_subcommand(
        "diff", "compare two backups or profiles of one family, or the controller with one of them");
    AddConnectOptions(diff, arguments);
    diff->add_option("files", diffFiles, "FILE_A FILE_B, or one FILE to compare with the controller")
        ->required()
        ->expected(1, 2);
    diff->add_flag("--json", arguments.json, "one JSON object");

    ReportOptions reportOptions;
    std::string against;
    auto* report = program.add_subcommand("report", "write an HTML service report of the controller");
    AddConnectOptions(report, arguments);
    report->add_option("--out", arguments.file, "HTML file to write")->required();
    report->add_option("--customer", reportOptions.customer, "customer name shown in the report");
    report->add_option("--against", against, "backup whose values are shown beside the controller's");
    report->add_flag("--force", reportOptions.force, "replace the file when it exists");

    MonitorOptions monitorOptions;
    std::string csv;
    auto* monitor = program.add_subcommand("monitor", "poll the live values until --count polls or Ctrl-C");
    AddConnectOptions(monitor, arguments);
    monitor->add_option("--interval", monitorOptions.intervalMs, "milliseconds from one poll to the next")
        ->capture_default_str()
        ->check(CLI::Range(0u, 3600000u));
    monitor->add_option("--count", monitorOptions.count, "stop after this many polls (default: at Ctrl-C)")
        ->check(CLI::Range(1u, 1000000000u));
    monitor->add_option("--csv", csv, "CSV file to write, one row per poll");
    monitor->add_flag("--force", monitorOptions.force, "replace an existing CSV file");

    auto* raw = program.add_subcommand(
        "raw", "check, describe and optionally send one frame, as the raw frame page does");
    raw->add_option("--port", arguments.port, "serial port for --send (default: the port the list selects)");
    raw->add_option("--family", arguments.rawFamily, "FJ, EV48-400-C or Tercel, any case")
        ->required()
        ->check(FamilyCheck());
    raw->add_flag("--fix", arguments.fix, "write the frame's checksum in first");
    raw->add_flag("--send", arguments.send, "send the frame and describe the answer");
    raw->add_option("hex", arguments.hex, "the frame's bytes in hex, spaced or not")->required();

    std::vector<std::string> argv = {"vantrel-cli"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<const char*> pointers;
    for (const auto& arg : argv) pointers.push_back(arg.c_str());
    try {
        program.parse(static_cast<int>(pointers.size()), pointers.data());
    } catch (const CLI::Success& e) {
        return program.exit(e, out, err);
    } catch (const CLI::ParseError& e) {
        err << "vantrel-cli: " << e.what() << ": see vantrel-cli --help\n";
        return kExitUsage;
    }

    CliPrompter prompter;
    StatusLine status(err, options.statusOnTerminal);
    CommandIo io{out, err, prompter, &status};
    const ConnectOptions connect = ConnectFrom(arguments);
    const std::filesystem::path file = text::PathFromUtf8(arguments.file);
    int result = kExitUsage;
    // Anything a command did not catch still ends in one line and a status, never in an abort.
    try {
        if (*ports)
            result = PortsCommand(arguments.json, io);
        else if (*probe)
            result = ProbeCommand(connect, io);
        else if (*read)
            result = ReadCommand(connect, arguments.json, io);
        else if (*faults)
            result = FaultsCommand(connect, arguments.json, io);
        else if (*backup)
            result = BackupCommand(connect, file, arguments.customer, arguments.force, io);
        else if (*load)
            result =
                LoadCommand(connect, file, {arguments.write, !arguments.noAutoBackup}, arguments.json, io);
        else if (*set)
            result = SetCommand(connect, arguments.assignments, {arguments.write, !arguments.noAutoBackup},
                                arguments.json, io);
        else if (*raw)
            result = RawCommand(arguments.port,
                                session::FamilyFromName(arguments.rawFamily).value_or(Family::None),
                                arguments.fix, arguments.send, arguments.hex, io);
        else if (*inspect)
            result = InspectCommand(file, arguments.json, io);
        else if (*diff) {
            std::vector<std::filesystem::path> paths;
            for (const auto& name : diffFiles) paths.push_back(text::PathFromUtf8(name));
            result = DiffCommand(connect, diff->count("--port") > 0, paths, arguments.json, io);
        } else if (*report) {
            reportOptions.out = file;
            if (!against.empty()) reportOptions.against = text::PathFromUtf8(against);
            result = ReportCommand(connect, reportOptions, io);
        } else if (*monitor) {
            if (!csv.empty()) monitorOptions.csv = text::PathFromUtf8(csv);
            monitorOptions.terminal = options.outputOnTerminal;
            result = MonitorCommand(connect, monitorOptions, io);
        }
    } catch (const std::exception& e) {
        result = Fail(io, kExitRefused, std::string("unexpected error: ") + e.what());
    }
    prompter.FlushMessages(Err(io));
    return result;
}

}  // namespace cli
