// The commands end to end against vantrel-sim, one simulated controller of each family, run in this
// process through the library the executable is made of.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/cli_app.h"
#include "tests/cli/posix/simulated.h"
#include "tests/support/log_capture.h"

namespace {

using clitest::CliRun;
using clitest::RunCommand;
using clitest::Simulated;
using nlohmann::json;

// The standard output of a run that ended with the status, as JSON.
json Parsed(const CliRun& run, int status = 0) {
    EXPECT_EQ(run.status, status) << run.err;
    return json::parse(run.out);
}

std::string ValueOf(const CliRun& read, const std::string& key) {
    const json parsed = Parsed(read);
    for (const auto& entry : parsed["entries"])
        if (entry["key"] == key) return entry["value"];
    return "(no such key)";
}

// Read, set (refused, shown only, written), faults, backup and load (shown only, written).
TEST(CliSim, EachCommandAgainstEachFamily) {
    testsupport::LogCapture log;
    for (const auto& c : clitest::kFamilies) {
        SCOPED_TRACE(c.family);
        const Simulated sim(c.family);
        ASSERT_TRUE(sim.Ready());
        const std::string original = sim.State();
        EXPECT_EQ(ValueOf(sim.Run({"read", "--json"}), c.key), c.initial);
        // A name the controller does not have; a value past its maximum is cli_executable_test.sh's.
        const CliRun unknown = sim.Run({"set", "NoSuchThing=1", "--write"});
        EXPECT_EQ(unknown.status, cli::kExitRefused);
        EXPECT_NE(unknown.err.find("vantrel-cli: "), std::string::npos) << unknown.err;
        EXPECT_EQ(unknown.out, "");
        // By label, without --write: shown and not sent.
        const CliRun dry = sim.Run({"set", std::string(c.label) + "=" + c.changed});
        EXPECT_EQ(dry.status, 0) << dry.err;
        EXPECT_NE(dry.out.find(c.initial), std::string::npos) << dry.out;
        EXPECT_NE(dry.err.find("Nothing was sent"), std::string::npos);
        EXPECT_EQ(sim.State(), original);

        std::vector<std::string> codes;
        const json faults = Parsed(sim.Run({"faults", "--json"}));
        for (const auto& row : faults["current"]) codes.push_back(row["Code"]);
        EXPECT_EQ(codes, c.currentFaultCodes);

        const std::string backup = sim.File("backup.vtdata");
        EXPECT_EQ(sim.Run({"backup", "--out", backup}).out, backup + "\n");

        const json written =
            Parsed(sim.Run({"set", std::string(c.key) + "=" + c.changed, "--write", "--json"}));
        EXPECT_TRUE(written["written"].get<bool>());
        ASSERT_EQ(written["changes"].size(), 1u);
        EXPECT_EQ(written["changes"][0]["current"], c.initial);
        EXPECT_EQ(written["changes"][0]["readBack"], c.changed);
        EXPECT_EQ(ValueOf(sim.Run({"read", "--json"}), c.key), c.changed);
        ASSERT_NE(sim.State(), original);

        const json toLoad = Parsed(sim.Run({"load", "--file", backup, "--json"}));
        EXPECT_FALSE(toLoad["written"].get<bool>());
        ASSERT_EQ(toLoad["changes"].size(), 1u);
        EXPECT_EQ(toLoad["changes"][0]["current"], c.changed);
        EXPECT_EQ(toLoad["changes"][0]["new"], c.initial);
        EXPECT_EQ(sim.Run({"load", "--file", backup, "--write"}).status, 0);
        EXPECT_EQ(sim.State(), original);
    }
}

// An FJ controller that answers the contact but never the firmware date: the error line says so.
TEST(CliSim, AFailedIdentifyNamesTheReadItStoppedAt) {
    testsupport::LogCapture log;
    const Simulated sim("FJ", {"--fault", "silent", "--fault-on", "2"});
    ASSERT_TRUE(sim.Ready());
    const CliRun run = sim.Run({"probe"});
    EXPECT_EQ(run.status, cli::kExitNoController);
    const size_t error = run.err.rfind("vantrel-cli: ");
    ASSERT_NE(error, std::string::npos) << run.err;
    EXPECT_NE(run.err.find("FJ: could not read firmware date", error), std::string::npos) << run.err;
}

// On a line that loses answers, a full read keeps the value just typed for a register that did not
// answer; only a value the controller reported back may count as taken.
TEST(CliSim, WriteOnALossyLineReportsWhatWasNotTaken) {
    testsupport::LogCapture log;
    const Simulated sim("Tercel", {"--fault", "silent", "--fault-rate", "0.2", "--seed", "5"});
    ASSERT_TRUE(sim.Ready());
    int notConfirmed = 0;
    for (int round = 1; round <= 8 && notConfirmed == 0; ++round) {
        SCOPED_TRACE(round);
        const std::string tenths = std::to_string(round);
        const CliRun run = sim.Run({"set", "2754=20." + tenths, "3378=10." + tenths, "2756=9." + tenths,
                                    "3380=5." + tenths, "2600=2." + tenths, "--write", "--json"});
        // No controller, or a value it did not give: nothing is sent.
        if (run.status == cli::kExitNoController || run.err.find("nothing was sent") != std::string::npos)
            continue;
        ASSERT_TRUE(run.status == 0 || run.status == cli::kExitNotConfirmed) << run.err;
        // A write whose answer was lost is not confirmed, even when the value read back shows it taken.
        const json result = json::parse(run.out);
        for (const auto& change : result["changes"])
            EXPECT_TRUE(run.status != 0 || change["readBack"] == change["new"]) << run.out;
        notConfirmed += run.status == cli::kExitNotConfirmed;
    }
    EXPECT_GT(notConfirmed, 0);
}

}  // namespace
