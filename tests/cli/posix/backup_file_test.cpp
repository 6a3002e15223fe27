// What a backup file guarantees, through the command line: it is written only when the controller gave
// every value, never over another file by surprise, and refused when it was cut or edited afterwards.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "app/cards/tuning_model.h"
#include "core/ini_file.h"
#include "core/log.h"
#include "core/param_registry.h"
#include "core/text.h"
#include "serial/serial_port.h"
#include "session/family_table.h"
#include "session/probe.h"
#include "session/session.h"
#include "tests/cli/cli_run.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/posix/sim_process.h"
#include "tests/support/temp_dir.h"

namespace {

using clitest::CliRun;
using clitest::RunCommand;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

constexpr int kExitNoController = 2;
constexpr int kExitRefused = 3;
constexpr int kExitNotConfirmed = 4;

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// The line of the text that starts with the prefix, without its line end.
std::string LineOf(const std::string& text, const std::string& prefix) {
    const size_t at = text.find("\n" + prefix);
    if (at == std::string::npos) return {};
    return text.substr(at + 1, text.find('\n', at + 1) - at - 1);
}

TEST(BackupFile, IsNotWrittenWhenAValueWasNotReadAndReadSaysSo) {
    // The request each controller leaves unanswered, retries included: a setting, not the first contact.
    const std::pair<const char*, const char*> families[] = {
        {"FJ", "10"}, {"EV48-400-C", "4"}, {"Tercel", "5"}};
    for (const auto& [family, request] : families) {
        SCOPED_TRACE(family);
        testsupport::TempDir folder;
        testsupport::SimProcess sim(family, folder.Path(), {"--fault", "silent", "--fault-on", request});
        ASSERT_TRUE(sim.Ready());
        const auto file = folder / "backup.vtdata";
        const CliRun run =
            RunCommand({"backup", "--port", sim.PortName(), "--family", family, "--out", file.string()});
        EXPECT_EQ(run.status, kExitNotConfirmed) << run.err;
        EXPECT_NE(run.err.find("no backup written"), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(file));
        // read shows the value as not given, never as a number, and says so in its status.
        const CliRun read = RunCommand({"read", "--port", sim.PortName(), "--family", family, "--json"});
        EXPECT_EQ(read.status, kExitNotConfirmed) << read.err;
        const bool noAnswer = read.out.find("\"read\": false") != std::string::npos ||
                              read.out.find("\"unreadGroups\": [\n    \"") != std::string::npos;
        EXPECT_TRUE(noAnswer) << read.out.substr(0, 400);
    }
}

// A controller that identifies but whose line goes for good during the read is no connection.
TEST(BackupFile, ALineLostWhileConnectingIsNoConnection) {
    testsupport::TempDir folder;
    testsupport::SimProcess sim("Tercel", folder.Path(), {"--pull-after", "5", "--pull-ms", "5000"});
    ASSERT_TRUE(sim.Ready());
    const CliRun probe = RunCommand({"probe", "--port", sim.PortName(), "--family", "Tercel"});
    EXPECT_EQ(probe.status, kExitNoController) << probe.err;
    EXPECT_NE(probe.err.find("Lost the controller while reading: check the cable"), std::string::npos)
        << probe.err;
    EXPECT_EQ(probe.out, "");
}

// Checked before any controller is looked for: the port here does not exist, so a path that passes
// ends in "no controller".
TEST(BackupFile, NeverReplacesAFileBySurprise) {
    testsupport::TempDir folder;
    const auto existing = folder / "customer.vtdata";
    WriteFileBytes(existing, "another customer's backup");
    const auto locked = folder / "locked.vtdata";
    WriteFileBytes(locked, "write-protected");
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read);
    const auto link = folder / "link.vtdata";
    std::filesystem::create_symlink(existing, link);
    const auto fifo = folder / "fifo.vtdata";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::filesystem::path out;
        bool force;
        int status;
    };
    const Case cases[] = {
        {existing, false, kExitRefused},     {locked, true, kExitRefused},
        {link, true, kExitRefused},          {fifo, true, kExitRefused},
        {folder.Path(), true, kExitRefused}, {folder / "missing" / "new.vtdata", false, kExitRefused},
        {existing, true, kExitNoController}, {folder / "new.vtdata", false, kExitNoController},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.out.string() + (c.force ? " --force" : ""));
        std::vector<std::string> args = {"backup", "--port", (folder / "no-such-port").string(), "--out",
                                         c.out.string()};
        if (c.force) args.push_back("--force");
        EXPECT_EQ(RunCommand(args).status, c.status);
    }
    EXPECT_EQ(ReadFileBytes(existing), "another customer's backup");
    EXPECT_EQ(ReadFileBytes(locked), "write-protected");
    EXPECT_FALSE(std::filesystem::exists(folder / "new.vtdata"));
}

TEST(BackupFile, CutOrEditedAfterwardsIsRefusedAndAnOlderOneLoads) {
    testsupport::TempDir folder;
    testsupport::SimProcess sim("FJ", folder.Path());
    ASSERT_TRUE(sim.Ready());
    const auto file = folder / "backup.vtdata";
    const CliRun saved =
        RunCommand({"backup", "--port", sim.PortName(), "--family", "FJ", "--out", file.string()});
    ASSERT_EQ(saved.status, 0) << saved.err;
    const std::string backup = ReadFileBytes(file);
    const std::string d0 = LineOf(backup, "d0=");
    const std::string d1 = LineOf(backup, "d1=");
    const std::string last = backup.substr(backup.rfind("\nd") + 1);
    ASSERT_FALSE(d0.empty());
    ASSERT_FALSE(d1.empty());
    struct Case {
        const char* what;
        std::string text;
        int status;
    };
    const Case cases[] = {
        {"as written", backup, 0},
        {"cut after a whole line", Replace(backup, last, ""), kExitRefused},
        {"two records swapped by hand",
         Replace(Replace(backup, d0, "d0=" + d1.substr(3)), d1, "d1=" + d0.substr(3)), kExitRefused},
        {"older, without count and check",
         Replace(Replace(backup, LineOf(backup, "Records=") + "\n", ""), LineOf(backup, "DataCrc32=") + "\n",
                 ""),
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFileBytes(file, c.text);
        const CliRun inspected = RunCommand({"inspect", file.string()});
        EXPECT_EQ(inspected.status, c.status) << inspected.err;
        const CliRun loaded =
            RunCommand({"load", "--port", sim.PortName(), "--family", "FJ", "--file", file.string()});
        EXPECT_EQ(loaded.status, c.status) << loaded.err;
    }
}

// Each record's section, key and deciphered frame, in file order.
std::vector<std::tuple<std::string, std::string, std::vector<uint8_t>>> Records(
    Family family, const std::filesystem::path& file) {
    std::vector<std::tuple<std::string, std::string, std::vector<uint8_t>>> records;
    for (const auto& record : session::Ops(family).dataFile->backupRecords(LoadIniFile(file), false))
        records.emplace_back(record.section, record.key, record.frame);
    return records;
}

// The window's Save and the command line's backup of one controller hold the same records, and each
// loads the other's way without changing anything.
TEST(BackupFile, WindowAndCommandLineBackupsAreTheSame) {
    for (const session::FamilyOps* ops : session::Families()) {
        SCOPED_TRACE(ops->name);
        testsupport::TempDir folder;
        testsupport::SimProcess sim(ops->name, folder.Path());
        ASSERT_TRUE(sim.Ready());
        const auto fromCli = folder / "cli.vtdata";
        const auto fromWindow = folder / "window.vtdata";
        const std::vector<std::string> connect = {"--port", sim.PortName(), "--family", ops->name};
        std::vector<std::string> backup = {"backup", "--out", fromCli.string()};
        backup.insert(backup.end(), connect.begin(), connect.end());
        ASSERT_EQ(RunCommand(backup).status, 0);

        testsupport::FakePrompter prompter;
        session::ProbeOptions options;
        options.readingPauses = false;
        ASSERT_EQ(session::Connect(SerialPort::Instance(), sim.PortName(), {ops->family}, options).family,
                  ops->family);
        app::TuningModel page(folder.Path());
        page.RebuildLists();
        prompter.saveFile = fromWindow;
        page.Save();
        ASSERT_TRUE(std::filesystem::exists(fromWindow));
        EXPECT_EQ(Records(ops->family, fromWindow), Records(ops->family, fromCli));

        prompter.openFile = fromCli;
        page.Load();
        EXPECT_EQ(GetStatus().rfind(L"Loaded ", 0), 0u) << text::WideToUtf8(GetStatus());
        EXPECT_TRUE(DirtyKeys().empty());
        session::EndConnection();
        std::vector<std::string> load = {"load", "--file", fromWindow.string()};
        load.insert(load.end(), connect.begin(), connect.end());
        const CliRun loaded = RunCommand(load);
        EXPECT_EQ(loaded.status, 0) << loaded.err;
        EXPECT_NE(loaded.err.find("Nothing to change"), std::string::npos) << loaded.err;
    }
}

TEST(BackupFile, AHugeFileIsRefusedBeforeItIsRead) {
    testsupport::TempDir folder;
    const auto file = folder / "huge.vtdata";
    { std::ofstream(file) << "[File]\nControllerType=FJ\nType=Backup\n"; }
    std::filesystem::resize_file(file, 200u * 1024 * 1024);  // sparse: no disk, and no memory if refused
    const auto start = std::chrono::steady_clock::now();
    const CliRun run = RunCommand({"inspect", file.string()});
    EXPECT_EQ(run.status, kExitRefused);
    EXPECT_NE(run.err.find("not a Vantrel data file: too large"), std::string::npos) << run.err;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
