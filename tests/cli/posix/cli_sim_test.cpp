// The commands end to end against vantrel-sim, one simulated controller of each family, run in this
// process through the library the executable is made of.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/cli_app.h"
#include "core/hex_text.h"
#include "core/ini_file.h"
#include "core/payload_cipher.h"
#include "tests/cli/cli_run.h"
#include "tests/support/log_capture.h"
#include "tests/support/posix/sim_process.h"
#include "tests/support/temp_dir.h"

namespace {

using nlohmann::json;

using clitest::CliRun;
using clitest::RunCommand;

// One value of each simulator's starting state, as its tuning page shows it, a change it takes and one
// past its maximum.
struct FamilyCase {
    const char* family;
    const char* key;
    const char* label;
    const char* initial;
    const char* changed;
    const char* tooHigh;
    std::vector<std::string> currentFaultCodes;
};

const FamilyCase kFamilies[] = {
    {"FJ", "0D:1F", "H Gear - Forward Maximum Speed", "4500", "5000", "6001", {"17", "42"}},
    // The gear speeds may not pass the motor's maximum speed, 5000.
    {"EV48-400-C", "BKD_MaxSpeed", "Reverse Max Speed", "2000", "1800", "5001", {"12", "101"}},
    {"Tercel", "2878", "2.01.09 : Motor Maximum RPM", "6500", "6000", "10001", {}},
};

class Simulated {
public:
    explicit Simulated(const FamilyCase& c) : sim_(c.family, folder_.Path()), family_(c.family) {}

    bool Ready() const { return sim_.Ready(); }
    // The port and the family, so that a test does not wait for the other families' probes.
    std::vector<std::string> Args(std::vector<std::string> args) const {
        args.insert(args.begin() + 1, {"--port", sim_.PortName(), "--family", family_});
        return args;
    }
    std::string State() const { return testsupport::ReadFileBytes(sim_.StatePath()); }
    std::filesystem::path File(const std::string& name) const { return folder_ / name; }

private:
    testsupport::TempDir folder_;
    testsupport::SimProcess sim_;
    std::string family_;
};

json ReadJson(const Simulated& sim) {
    const CliRun run = RunCommand(sim.Args({"read", "--json"}));
    EXPECT_EQ(run.status, 0) << run.err;
    return json::parse(run.out);
}

std::string ValueOf(const json& read, const std::string& key) {
    for (const auto& entry : read["entries"])
        if (entry["key"] == key) return entry["value"];
    return "(no such key)";
}

TEST(CliSim, ProbeFindsEachFamilyWithAllThreeEnabled) {
    testsupport::LogCapture log;
    for (const auto& c : kFamilies) {
        SCOPED_TRACE(c.family);
        testsupport::TempDir folder;
        testsupport::SimProcess sim(c.family, folder.Path());
        ASSERT_TRUE(sim.Ready());
        const CliRun run = RunCommand({"probe", "--port", sim.PortName()});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, std::string(c.family) + "\n");
        EXPECT_NE(run.err.find(std::string("Detected Controller: ") + c.family), std::string::npos)
            << run.err;
    }
}

TEST(CliSim, ReadListsEveryEntryWithTheSimulatorsValues) {
    testsupport::LogCapture log;
    const std::vector<std::string> tabOrder = {"Tuning", "Stats", "Info", "Sink"};
    for (const auto& c : kFamilies) {
        SCOPED_TRACE(c.family);
        const Simulated sim(c);
        ASSERT_TRUE(sim.Ready());
        const json read = ReadJson(sim);
        EXPECT_EQ(read["controller"], c.family);
        ASSERT_GT(read["entries"].size(), 10u);
        size_t tab = 0;
        for (const auto& entry : read["entries"]) {
            for (const char* field : {"tab", "section", "key", "label", "value", "unit", "min", "max"})
                EXPECT_TRUE(entry[field].is_string()) << field << " of " << entry.dump();
            EXPECT_TRUE(entry["readOnly"].is_boolean());
            // Tabs come in the page's order, never back.
            while (tab < tabOrder.size() && entry["tab"] != tabOrder[tab]) ++tab;
            EXPECT_LT(tab, tabOrder.size()) << entry.dump();
        }
        EXPECT_EQ(ValueOf(read, c.key), c.initial);

        const CliRun table = RunCommand(sim.Args({"read"}));
        EXPECT_EQ(table.status, 0);
        EXPECT_EQ(table.out.rfind("TAB", 0), 0u);
        // One header line and one line per entry.
        EXPECT_EQ(static_cast<size_t>(std::count(table.out.begin(), table.out.end(), '\n')),
                  read["entries"].size() + 1);
    }
}

TEST(CliSim, SetChecksEveryValueAndSendsOnlyWithWrite) {
    testsupport::LogCapture log;
    for (const auto& c : kFamilies) {
        SCOPED_TRACE(c.family);
        const Simulated sim(c);
        ASSERT_TRUE(sim.Ready());
        const std::string state = sim.State();

        const CliRun refused = RunCommand(sim.Args({"set", std::string(c.key) + "=" + c.tooHigh, "--write"}));
        EXPECT_EQ(refused.status, cli::kExitRefused);
        EXPECT_NE(refused.err.find("vantrel-cli: " + std::string(c.key) + "=" + c.tooHigh + " refused"),
                  std::string::npos)
            << refused.err;
        EXPECT_EQ(refused.out, "");

        const CliRun unknown = RunCommand(sim.Args({"set", "NoSuchThing=1"}));
        EXPECT_EQ(unknown.status, cli::kExitRefused);

        // By label, without --write: shown and not sent.
        const CliRun dry = RunCommand(sim.Args({"set", std::string(c.label) + "=" + c.changed}));
        EXPECT_EQ(dry.status, 0) << dry.err;
        EXPECT_NE(dry.out.find(c.label), std::string::npos) << dry.out;
        EXPECT_NE(dry.out.find(c.initial), std::string::npos) << dry.out;
        EXPECT_NE(dry.err.find("Nothing was sent"), std::string::npos);
        EXPECT_EQ(sim.State(), state);

        const CliRun written =
            RunCommand(sim.Args({"set", std::string(c.key) + "=" + c.changed, "--write", "--json"}));
        EXPECT_EQ(written.status, 0) << written.err;
        const json result = json::parse(written.out);
        EXPECT_TRUE(result["written"].get<bool>());
        ASSERT_FALSE(result["changes"].empty());
        EXPECT_EQ(result["changes"][0]["key"], c.key);
        EXPECT_EQ(result["changes"][0]["current"], c.initial);
        EXPECT_EQ(result["changes"][0]["readBack"], c.changed);
        EXPECT_NE(sim.State(), state);
        EXPECT_EQ(ValueOf(ReadJson(sim), c.key), c.changed);
    }
}

TEST(CliSim, BackupThenLoadPutsTheControllerBack) {
    testsupport::LogCapture log;
    for (const auto& c : kFamilies) {
        SCOPED_TRACE(c.family);
        const Simulated sim(c);
        ASSERT_TRUE(sim.Ready());
        const std::string backup = sim.File("backup.vtdata").string();
        const CliRun saved = RunCommand(sim.Args({"backup", "--out", backup, "--customer", "Cart 7"}));
        ASSERT_EQ(saved.status, 0) << saved.err;
        EXPECT_EQ(saved.out, backup + "\n");
        const std::string original = sim.State();

        ASSERT_EQ(RunCommand(sim.Args({"set", std::string(c.key) + "=" + c.changed, "--write"})).status, 0);
        ASSERT_NE(sim.State(), original);

        const CliRun dry = RunCommand(sim.Args({"load", "--file", backup, "--json"}));
        EXPECT_EQ(dry.status, 0) << dry.err;
        const json shown = json::parse(dry.out);
        EXPECT_FALSE(shown["written"].get<bool>());
        ASSERT_EQ(shown["changes"].size(), 1u) << dry.out;
        EXPECT_EQ(shown["changes"][0]["current"], c.changed);
        EXPECT_EQ(shown["changes"][0]["new"], c.initial);

        const CliRun loaded = RunCommand(sim.Args({"load", "--file", backup, "--write"}));
        EXPECT_EQ(loaded.status, 0) << loaded.err;
        EXPECT_EQ(sim.State(), original);

        const CliRun inspected = RunCommand({"inspect", backup, "--json"});
        EXPECT_EQ(inspected.status, 0) << inspected.err;
        const json file = json::parse(inspected.out);
        EXPECT_EQ(file["header"]["ControllerType"], c.family);
        EXPECT_EQ(file["header"]["Type"], "Backup");
        EXPECT_EQ(file["header"]["Customer"], "Cart 7");
        ASSERT_FALSE(file["records"].empty());
        for (const auto& record : file["records"]) EXPECT_TRUE(record["damaged"].is_null()) << record.dump();
    }
}

TEST(CliSim, LoadRefusesAFileOfAnotherFamilyOrADamagedOne) {
    testsupport::LogCapture log;
    const Simulated fj(kFamilies[0]);
    ASSERT_TRUE(fj.Ready());
    testsupport::WriteFileBytes(fj.File("tercel.vtdata"),
                                "[FILE]\nControllerType=Tercel\nType=Backup\n[Data]\nd0=00\n");
    testsupport::WriteFileBytes(fj.File("damaged.vtdata"),
                                "[FILE]\nControllerType=FJ\nType=Backup\n[Data]\nd0=" +
                                    EncryptPayload(ToHex(std::vector<uint8_t>{0xEB, 0x90})) + "\nd1=0G\n");
    const std::string state = fj.State();
    const struct {
        const char* file;
        const char* says;
    } cases[] = {
        {"tercel.vtdata", "Incorrect Controller Type: Tercel"},
        {"damaged.vtdata", "The file is damaged and was not loaded"},
        {"missing.vtdata", "cannot read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const CliRun run = RunCommand(fj.Args({"load", "--file", fj.File(c.file).string(), "--write"}));
        EXPECT_EQ(run.status, cli::kExitRefused);
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        // The warning's text is in the one error line, not repeated after it.
        EXPECT_EQ(run.err.find("Warning:"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(fj.State(), state);
}

TEST(CliSim, FaultsListTheSimulatorsFaultsByColumn) {
    testsupport::LogCapture log;
    for (const auto& c : kFamilies) {
        SCOPED_TRACE(c.family);
        const Simulated sim(c);
        ASSERT_TRUE(sim.Ready());
        const CliRun run = RunCommand(sim.Args({"faults", "--json"}));
        ASSERT_EQ(run.status, 0) << run.err;
        const json faults = json::parse(run.out);
        EXPECT_EQ(faults["controller"], c.family);
        EXPECT_TRUE(faults["historical"].is_array());
        std::vector<std::string> codes;
        for (const auto& row : faults["current"]) codes.push_back(row["Code"]);
        EXPECT_EQ(codes, c.currentFaultCodes);
    }
}

TEST(CliSim, NoControllerOrNoPortEndsWithStatusTwo) {
    testsupport::LogCapture log;
    testsupport::TempDir folder;
    const CliRun missing = RunCommand({"read", "--port", (folder / "no-such-port").string()});
    EXPECT_EQ(missing.status, cli::kExitNoController);
    EXPECT_EQ(missing.out, "");
    // Progress lines first; the error is the last line, and the only one naming the program.
    EXPECT_NE(missing.err.find("vantrel-cli: cannot open port"), std::string::npos) << missing.err;
    EXPECT_EQ(missing.err.find("vantrel-cli:"), missing.err.rfind("vantrel-cli:"));

    // An FJ controller does not answer the other two families.
    const Simulated fj(kFamilies[0]);
    ASSERT_TRUE(fj.Ready());
    const CliRun silent = RunCommand({"probe", "--port", fj.Args({"probe"})[2], "--family", "tercel"});
    EXPECT_EQ(silent.status, cli::kExitNoController);
    EXPECT_NE(silent.err.find("vantrel-cli: no controller answered"), std::string::npos) << silent.err;
}

TEST(CliSim, RawSendsAFrameAndDescribesTheAnswer) {
    testsupport::LogCapture log;
    const Simulated fj(kFamilies[0]);
    ASSERT_TRUE(fj.Ready());
    // A read request of 0D:1F; the simulator holds 4500 = 0x1194 there.
    const CliRun run = RunCommand({"raw", "--port", fj.Args({"raw"})[2], "--family", "FJ", "--fix", "--send",
                                   "EB 90 01 06 04 0D 1F 00 00 00 00"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\nRX EB 90 01 06 04 0D 1F 94 11 "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("4500"), std::string::npos) << run.out;
}

// On a line that loses answers, a full read keeps the value just typed for a register that did not
// answer; only a value the controller reported back may count as taken.
TEST(CliSim, WriteOnALossyLineReportsWhatWasNotTaken) {
    testsupport::LogCapture log;
    testsupport::TempDir folder;
    testsupport::SimProcess sim("Tercel", folder.Path(),
                                {"--fault", "silent", "--fault-rate", "0.2", "--seed", "5"});
    ASSERT_TRUE(sim.Ready());
    int notConfirmed = 0;
    for (int round = 1; round <= 8; ++round) {
        SCOPED_TRACE(round);
        const std::string tenths = std::to_string(round);
        const CliRun run = RunCommand({"set", "--port", sim.PortName(), "--family", "Tercel",
                                       "2754=20." + tenths, "3378=10." + tenths, "2756=9." + tenths,
                                       "3380=5." + tenths, "2600=2." + tenths, "--write", "--json"});
        // No controller, or a value it did not give: nothing is sent.
        if (run.status == cli::kExitNoController || run.err.find("nothing was sent") != std::string::npos)
            continue;
        ASSERT_TRUE(run.status == 0 || run.status == cli::kExitNotConfirmed) << run.err;
        bool allTaken = true;
        const json result = json::parse(run.out);
        for (const auto& change : result["changes"])
            if (change["readBack"] != change["new"]) allTaken = false;
        // A write whose answer was lost is not confirmed, even when the value read back shows it taken.
        if (run.status == 0) {
            EXPECT_TRUE(allTaken) << run.out;
        }
        if (run.status == cli::kExitNotConfirmed && ++notConfirmed == 1) break;
    }
    EXPECT_GT(notConfirmed, 0);
}

}  // namespace
