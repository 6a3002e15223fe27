// What a backup file guarantees, through the command line: it is never written over another file by
// surprise, and refused, with nothing sent, when it was cut or edited afterwards.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>

#include "app/cards/tuning_model.h"
#include "core/atomic_file.h"
#include "core/ini_file.h"
#include "core/log.h"
#include "core/param_registry.h"
#include "datafiles/data_file.h"
#include "serial/serial_port.h"
#include "session/family_table.h"
#include "session/probe.h"
#include "session/session.h"
#include "tests/cli/posix/simulated.h"
#include "tests/support/fake_prompter.h"

namespace {

using clitest::CliRun;
using clitest::RunCommand;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

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
    const struct {
        std::filesystem::path out;
        bool force;
        int status;
    } cases[] = {
        {existing, false, cli::kExitRefused},
        {locked, true, cli::kExitRefused},
        {link, true, cli::kExitRefused},
        {fifo, true, cli::kExitRefused},
        {folder.Path(), true, cli::kExitRefused},
        {folder / "missing" / "new.vtdata", false, cli::kExitRefused},
        {existing, true, cli::kExitNoController},
        {folder / "new.vtdata", false, cli::kExitNoController},
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
    clitest::Simulated sim("FJ");
    ASSERT_TRUE(sim.Ready());
    const std::filesystem::path file = sim.File("backup.vtdata");
    // A file of the user's under the name the backup is first written to stays as it was.
    WriteFileBytes(AtomicTemporaryPath(file), "the user's");
    ASSERT_EQ(sim.Run({"backup", "--out", file.string()}).status, 0);
    EXPECT_EQ(ReadFileBytes(AtomicTemporaryPath(file)), "the user's");
    const std::string backup = ReadFileBytes(file);
    const std::string d0 = LineOf(backup, "d0=");
    const std::string d1 = LineOf(backup, "d1=");
    ASSERT_FALSE(d0.empty() || d1.empty());
    // The controller changed since: a file loaded puts it back, a refused one sends nothing.
    ASSERT_EQ(sim.Run({"set", "0D:1F=5000", "--write"}).status, 0);
    const std::string changed = sim.State();
    const struct {
        const char* what;
        std::string text;
        int status;
    } cases[] = {
        {"cut after a whole line", Replace(backup, backup.substr(backup.rfind("\nd") + 1), ""),
         cli::kExitRefused},
        {"two records swapped by hand",
         Replace(Replace(backup, d0, "d0=" + d1.substr(3)), d1, "d1=" + d0.substr(3)), cli::kExitRefused},
        {"older, without count and check",
         Replace(Replace(backup, LineOf(backup, "Records=") + "\n", ""), LineOf(backup, "DataCrc32=") + "\n",
                 ""),
         0},
        {"as written", backup, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFileBytes(file, c.text);
        EXPECT_EQ(RunCommand({"inspect", file.string()}).status, c.status);
        const CliRun loaded = sim.Run({"load", "--file", file.string(), "--write"});
        EXPECT_EQ(loaded.status, c.status) << loaded.err;
        EXPECT_EQ(sim.State() == changed, c.status != 0);
    }
}

// Sparse: it takes no disk, and no memory when it is refused before it is read.
TEST(BackupFile, AHugeFileIsRefusedBeforeItIsRead) {
    testsupport::TempDir folder;
    const auto file = folder / "huge.vtdata";
    WriteFileBytes(file, "[File]\nControllerType=FJ\nType=Backup\n");
    std::filesystem::resize_file(file, 200u * 1024 * 1024);
    const auto start = std::chrono::steady_clock::now();
    const CliRun run = RunCommand({"inspect", file.string()});
    EXPECT_EQ(run.status, cli::kExitRefused);
    EXPECT_NE(run.err.find("not a Vantrel data file: too large"), std::string::npos) << run.err;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// Each record's section, key and deciphered frame, in file order.
std::vector<std::tuple<std::string, std::string, std::vector<uint8_t>>> Records(Family family,
                                                                                const std::string& file) {
    std::vector<std::tuple<std::string, std::string, std::vector<uint8_t>>> records;
    for (const auto& record : session::Ops(family).dataFile->backupRecords(LoadIniFile(file), false))
        records.emplace_back(record.section, record.key, record.frame);
    return records;
}

// The window's Save and the command line's backup of one controller hold the same records, and each
// loads the other's way with nothing to change.
TEST(BackupFile, WindowAndCommandLineBackupsAreTheSame) {
    for (const session::FamilyOps* ops : session::Families()) {
        SCOPED_TRACE(ops->name);
        const clitest::Simulated sim(ops->name);
        ASSERT_TRUE(sim.Ready());
        const std::string fromCli = sim.File("cli.vtdata"), fromWindow = sim.File("window.vtdata");
        ASSERT_EQ(sim.Run({"backup", "--out", fromCli}).status, 0);

        testsupport::FakePrompter prompter;
        session::ProbeOptions options;
        options.readingPauses = false;
        ASSERT_EQ(session::Connect(SerialPort::Instance(), sim.PortName(), {ops->family}, options).family,
                  ops->family);
        app::TuningModel page(std::filesystem::path(fromCli).parent_path());
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

        const CliRun loaded = sim.Run({"load", "--file", fromWindow});
        EXPECT_EQ(loaded.status, 0) << loaded.err;
        EXPECT_NE(loaded.err.find("Nothing to change"), std::string::npos) << loaded.err;
    }
}

}  // namespace
