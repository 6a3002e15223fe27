// The safety backup before a write, against vantrel-sim: what the command line does when it cannot be
// saved, what it holds, and loading it putting the controller back. Also where the FJ fault
// descriptions file goes, said while it is missing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

#include "cli/cli_app.h"
#include "core/host.h"
#include "tests/cli/posix/simulated.h"
#include "tests/support/log_capture.h"

namespace {

using testing::HasSubstr;

// The command line writes only after a safety backup, or with --no-auto-backup. The backup holds the
// controller's value, not the one being written: loading it puts the controller back as it was.
TEST(SafetyBackupCli, WritesOnlyAfterABackupThatPutsTheControllerBack) {
    testsupport::LogCapture log;
    for (const auto& c : clitest::kFamilies) {
        SCOPED_TRACE(c.family);
        const clitest::Simulated sim(c.family);
        ASSERT_TRUE(sim.Ready());
        const auto backups = host::ExecutableDirectory().value() / c.family / "backups";
        // A file where the backups folder goes: nothing can be saved there.
        std::filesystem::remove_all(backups);
        std::filesystem::create_directories(backups.parent_path());
        testsupport::WriteFileBytes(backups, "not a folder");
        const std::string original = sim.State();
        const std::string change = std::string(c.key) + "=" + c.changed;
        const auto refused = sim.Run({"set", change, "--write"});
        EXPECT_EQ(refused.status, cli::kExitRefused);
        EXPECT_THAT(refused.err, HasSubstr("no safety backup could be saved: cannot create"));
        EXPECT_THAT(refused.err, HasSubstr("add --no-auto-backup"));
        EXPECT_EQ(sim.State(), original);
        EXPECT_EQ(sim.Run({"set", change, "--write", "--no-auto-backup"}).status, 0);
        const std::string changed = sim.State();
        EXPECT_NE(changed, original);

        std::filesystem::remove(backups);
        const auto saved = sim.Run({"set", std::string(c.key) + "=" + c.initial, "--write"});
        EXPECT_EQ(saved.status, 0) << saved.err;
        std::smatch named;
        ASSERT_TRUE(std::regex_search(saved.err, named, std::regex("Safety backup: (.*)"))) << saved.err;
        const std::filesystem::path file = named[1].str();
        EXPECT_EQ(file.parent_path(), backups);
        EXPECT_EQ(sim.Run({"load", "--file", file.string(), "--write"}).status, 0);
        EXPECT_EQ(sim.State(), changed);
    }
}

// A Tercel edit of the speed response mode shows registers that the read before it did not ask for;
// what was read is still whole, and it is what the backup holds.
TEST(SafetyBackupCli, AnEditShowingEntriesNeverReadStillSavesWhatWasRead) {
    testsupport::LogCapture log;
    const clitest::Simulated sim("Tercel");
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(sim.Run({"set", "2594=0", "--write"}).status, 0);
    const std::string before = sim.State();
    const auto saved = sim.Run({"set", "2594=1", "--write"});
    EXPECT_EQ(saved.status, 0) << saved.err;
    std::smatch named;
    ASSERT_TRUE(std::regex_search(saved.err, named, std::regex("Safety backup: (.*)"))) << saved.err;
    EXPECT_EQ(sim.Run({"load", "--file", named[1].str(), "--write", "--no-auto-backup"}).status, 0);
    EXPECT_EQ(sim.State(), before);
}

TEST(FjFaultDescriptions, TheFilesPlaceIsNamedWhileItIsMissing) {
    testsupport::LogCapture log;
    const clitest::Simulated sim("FJ");
    ASSERT_TRUE(sim.Ready());
    const auto file = host::ExecutableDirectory().value() / "FJ" / "fj-errors.csv";
    std::filesystem::remove(file);
    const auto missing = sim.Run({"faults"});
    EXPECT_EQ(missing.status, 0) << missing.err;
    const std::string notice = "put the maker's fj-errors.csv at " + file.string() + "\n";
    EXPECT_THAT(missing.err, HasSubstr(notice));

    std::filesystem::create_directories(file.parent_path());
    testsupport::WriteFileBytes(file, "Code,Level,Text1,Text2,Text3\n17,3,\"Motor overtemperature\",x,y\n");
    const auto present = sim.Run({"faults"});
    std::filesystem::remove(file);
    EXPECT_THAT(present.err, testing::Not(HasSubstr("fj-errors.csv")));
    EXPECT_THAT(present.out, HasSubstr("Motor overtemperature"));
}

}  // namespace
