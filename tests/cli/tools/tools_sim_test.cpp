// diff, report and monitor end to end against vantrel-sim, run in this process through the library the
// executable is made of.
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "cli/cli_app.h"
#include "tests/cli/cli_run.h"
#include "tests/support/log_capture.h"
#include "tests/support/posix/sim_process.h"
#include "tests/support/temp_dir.h"

namespace {

using Json = nlohmann::ordered_json;
using clitest::CliRun;
using clitest::RunCommand;
using Row = std::vector<std::string>;

// One setting of each simulator's starting state and a change it takes; the request left unanswered
// by --fault-on to lose one setting's value; one live value as the simulator holds it.
struct FamilyCase {
    const char* family;
    const char* key;
    const char* label;
    const char* initial;
    const char* changed;
    const char* silentRequest;
    const char* unreadShown;  // how the report shows what that request would have given
    const char* liveLabel;    // empty: the family reports no live values
    const char* liveValue;
};

const FamilyCase kFamilies[] = {
    {"FJ", "0D:1F", "H Gear - Forward Maximum Speed", "4500", "5000", "10", "(no answer)",
     "Battery voltage(BDI)", "51.2"},
    {"EV48-400-C", "BKD_MaxSpeed", "Reverse Max Speed", "2000", "1800", "4", "Not given by the controller",
     "Odometer", "5678"},
    {"Tercel", "2878", "2.01.09 : Motor Maximum RPM", "6500", "6000", "5", "(no answer)", "", ""},
};

class Simulated {
public:
    explicit Simulated(const FamilyCase& c, const std::vector<std::string>& extra = {})
        : sim_(c.family, folder_.Path(), extra), family_(c.family) {}

    bool Ready() const { return sim_.Ready(); }
    std::vector<std::string> Args(std::vector<std::string> args) const {
        args.insert(args.begin() + 1, {"--port", sim_.PortName(), "--family", family_});
        return args;
    }
    std::string File(const std::string& name) const { return (folder_ / name).string(); }
    void Stop() { sim_.Stop(); }

private:
    testsupport::TempDir folder_;
    testsupport::SimProcess sim_;
    std::string family_;
};

std::string S(const Json& value) {
    return value.get<std::string>();
}

// Waits (for ten seconds at most) until the monitor's CSV file holds a row of values.
void AwaitFirstRow(const std::string& csv) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (testsupport::ReadFileBytes(csv).find("\n2") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

Json RunJson(const std::vector<std::string>& args, int expected) {
    const CliRun run = RunCommand(args);
    EXPECT_EQ(run.status, expected) << run.err;
    return Json::parse(run.out, nullptr, false);
}

// The rows of every table of the page, each cell's text with its markup taken off; a row marked as
// differing ends with "(differs)".
std::vector<Row> HtmlRows(const std::string& html) {
    const std::regex row("<tr( class=\"differs\")?>(.*?)</tr>");
    const std::regex cell("<t[dh][^>]*>(.*?)</t[dh]>");
    const std::pair<std::string, std::string> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}};
    std::vector<Row> rows;
    for (std::sregex_iterator r(html.begin(), html.end(), row), end; r != end; ++r) {
        const std::string inner = (*r)[2];
        Row cells;
        for (std::sregex_iterator c(inner.begin(), inner.end(), cell); c != end; ++c) {
            std::string text = (*c)[1];
            for (const auto& [entity, character] : entities)
                for (size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1))
                    text.replace(at, entity.size(), character);
            cells.push_back(text);
        }
        if ((*r)[1].matched) cells.push_back("(differs)");
        rows.push_back(cells);
    }
    return rows;
}

TEST(CliTools, DiffListsExactlyTheChangedEntry) {
    testsupport::LogCapture log;
    for (const auto& c : kFamilies) {
        SCOPED_TRACE(c.family);
        Simulated sim(c);
        ASSERT_TRUE(sim.Ready());
        const std::string before = sim.File("before.vtdata");
        const std::string after = sim.File("after.vtdata");
        ASSERT_EQ(RunCommand(sim.Args({"backup", "--out", before})).status, 0);

        const Json same = RunJson({"diff", before, before, "--json"}, cli::kExitSuccess);
        EXPECT_TRUE(same["identical"].get<bool>());
        EXPECT_TRUE(same["differences"].empty());
        EXPECT_EQ(RunJson(sim.Args({"diff", before, "--json"}), cli::kExitSuccess)["differences"].size(), 0u);

        ASSERT_EQ(
            RunCommand(sim.Args({"set", std::string(c.key) + "=" + c.changed, "--write", "--no-auto-backup"}))
                .status,
            0);
        ASSERT_EQ(RunCommand(sim.Args({"backup", "--out", after})).status, 0);
        // The file on the left, the controller or the second file on the right: both see the one change.
        for (const Json& diff : {RunJson(sim.Args({"diff", before, "--json"}), cli::kExitDifferent),
                                 RunJson({"diff", before, after, "--json"}, cli::kExitDifferent)}) {
            EXPECT_FALSE(diff["identical"].get<bool>());
            ASSERT_EQ(diff["differences"].size(), 1u) << diff.dump(2);
            const Json& d = diff["differences"][0];
            EXPECT_EQ(d["tab"], "Tuning");
            EXPECT_EQ(d["key"], c.key);
            EXPECT_EQ(d["label"], c.label);
            EXPECT_EQ(d["left"], c.initial);
            EXPECT_EQ(d["right"], c.changed);
        }
    }
}

TEST(CliTools, DiffRefusesFilesItCannotCompare) {
    testsupport::LogCapture log;
    Simulated fj(kFamilies[0]);
    ASSERT_TRUE(fj.Ready());
    const std::string backup = fj.File("fj.vtdata");
    ASSERT_EQ(RunCommand(fj.Args({"backup", "--out", backup})).status, 0);
    testsupport::WriteFileBytes(fj.File("tercel.vtdata"), "[FILE]\nControllerType=Tercel\nType=Backup\n");
    testsupport::WriteFileBytes(fj.File("damaged.vtdata"),
                                "[FILE]\nControllerType=FJ\nType=Backup\n[Data]\nd0=0G\n");
    const struct {
        std::vector<std::string> args;
        int status;
        const char* says;
    } cases[] = {
        {{"diff", backup, fj.File("tercel.vtdata")}, cli::kExitRefused, "compare files of one family"},
        {{"diff", fj.File("damaged.vtdata"), backup}, cli::kExitRefused, "damaged"},
        {fj.Args({"diff", fj.File("tercel.vtdata")}), cli::kExitRefused,
         "compare a file of the controller's"},
        {{"diff", "--port", fj.File("no-such-port"), backup}, cli::kExitNoController, "cannot open port"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[1]);
        const CliRun run = RunCommand(c.args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST(CliTools, ReportHoldsEveryEntryAndFaultOfTheController) {
    testsupport::LogCapture log;
    for (const auto& c : kFamilies) {
        SCOPED_TRACE(c.family);
        Simulated sim(c);
        ASSERT_TRUE(sim.Ready());
        const std::string out = sim.File("report.html");
        const std::string customer = "Cart <7> & \"Sons\"";
        ASSERT_EQ(RunCommand(sim.Args({"report", "--out", out, "--customer", customer})).status, 0);
        const std::string html = testsupport::ReadFileBytes(out);
        for (const char* external : {"<script", "src=", "<link", "@import"})
            EXPECT_EQ(html.find(external), std::string::npos) << external;
        EXPECT_NE(html.find("size: A4"), std::string::npos);
        const std::vector<Row> rows = HtmlRows(html);
        const std::set<Row> shown(rows.begin(), rows.end());
        EXPECT_TRUE(shown.count({"Customer", customer}));
        EXPECT_TRUE(shown.count({"Controller family", c.family}));

        const Json read = RunJson(sim.Args({"read", "--json"}), 0);
        ASSERT_GT(read["entries"].size(), 10u);
        for (const auto& e : read["entries"])
            EXPECT_TRUE(shown.count({S(e["label"]), S(e["value"]), S(e["unit"]), S(e["min"]), S(e["max"])}))
                << e.dump();
        const Json faults = RunJson(sim.Args({"faults", "--json"}), 0);
        for (const char* table : {"current", "historical"})
            for (const auto& fault : faults[table]) {
                Row cells;
                for (const auto& [column, value] : fault.items()) cells.push_back(S(value));
                EXPECT_TRUE(shown.count(cells)) << fault.dump();
            }
        EXPECT_EQ(html.find("FJ Fault Levels:") != std::string::npos, std::string(c.family) == "FJ");

        // Never over an existing file without --force.
        EXPECT_EQ(RunCommand(sim.Args({"report", "--out", out})).status, cli::kExitRefused);
    }
}

TEST(CliTools, ReportAgainstABackupMarksTheChangedEntryOnly) {
    testsupport::LogCapture log;
    for (const auto& c : kFamilies) {
        SCOPED_TRACE(c.family);
        Simulated sim(c);
        ASSERT_TRUE(sim.Ready());
        const std::string backup = sim.File("backup.vtdata");
        ASSERT_EQ(RunCommand(sim.Args({"backup", "--out", backup})).status, 0);
        ASSERT_EQ(
            RunCommand(sim.Args({"set", std::string(c.key) + "=" + c.changed, "--write", "--no-auto-backup"}))
                .status,
            0);
        const std::string out = sim.File("report.html");
        ASSERT_EQ(RunCommand(sim.Args({"report", "--out", out, "--against", backup})).status, 0);
        std::vector<Row> marked;
        for (const Row& row : HtmlRows(testsupport::ReadFileBytes(out)))
            if (row.back() == "(differs)") marked.push_back(row);
        ASSERT_EQ(marked.size(), 1u);
        EXPECT_EQ(marked[0][0], c.label);
        EXPECT_EQ(marked[0][1], c.changed);
        EXPECT_EQ(marked[0][5], c.initial);
    }
}

TEST(CliTools, ReportShowsAValueNotReadAndEndsIncomplete) {
    testsupport::LogCapture log;
    for (const auto& c : kFamilies) {
        SCOPED_TRACE(c.family);
        Simulated sim(c, {"--fault", "silent", "--fault-on", c.silentRequest});
        ASSERT_TRUE(sim.Ready());
        const std::string out = sim.File("report.html");
        const CliRun run = RunCommand(sim.Args({"report", "--out", out}));
        EXPECT_EQ(run.status, cli::kExitNotConfirmed) << run.err;
        EXPECT_NE(testsupport::ReadFileBytes(out).find(c.unreadShown), std::string::npos);
    }
}

// The CSV file's lines, split at commas (the simulators' labels and values hold none).
std::vector<Row> CsvRows(const std::string& path) {
    std::vector<Row> rows;
    std::istringstream lines(testsupport::ReadFileBytes(path));
    for (std::string line; std::getline(lines, line);) {
        Row cells;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, ',');) cells.push_back(field);
        if (!line.empty() && line.back() == ',') cells.push_back("");
        rows.push_back(cells);
    }
    return rows;
}

TEST(CliTools, MonitorWritesOneRowPerPollOfTheLiveValues) {
    testsupport::LogCapture log;
    for (const auto& c : kFamilies) {
        SCOPED_TRACE(c.family);
        Simulated sim(c);
        ASSERT_TRUE(sim.Ready());
        const std::string csv = sim.File("live.csv");
        const CliRun run = RunCommand(sim.Args({"monitor", "--interval", "0", "--count", "5", "--csv", csv}));
        if (std::string(c.liveLabel).empty()) {
            EXPECT_EQ(run.status, cli::kExitRefused);
            EXPECT_NE(run.err.find(std::string(c.family) + " controllers report no live values"),
                      std::string::npos);
            continue;
        }
        ASSERT_EQ(run.status, 0) << run.err;
        Row header = {"Time"};
        Row values;
        const Json read = RunJson(sim.Args({"read", "--json"}), 0);
        for (const auto& e : read["entries"]) {
            if (e["tab"] != "Stats") continue;
            const std::string unit = S(e["unit"]);
            header.push_back(S(e["label"]) + (unit.empty() ? "" : " (" + unit + ")"));
            values.push_back(S(e["value"]));
            if (e["label"] == c.liveLabel) {
                EXPECT_EQ(e["value"], c.liveValue);
            }
        }
        const std::vector<Row> rows = CsvRows(csv);
        ASSERT_EQ(rows.size(), 6u);
        EXPECT_EQ(rows[0], header);
        const std::regex iso(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3})");
        for (size_t i = 1; i < rows.size(); ++i) {
            EXPECT_TRUE(std::regex_match(rows[i][0], iso)) << rows[i][0];
            EXPECT_EQ(Row(rows[i].begin() + 1, rows[i].end()), values);
        }
        // The record of that run stays unless the technician asks for it to be replaced.
        EXPECT_EQ(RunCommand(sim.Args({"monitor", "--count", "1", "--csv", csv})).status, cli::kExitRefused);
        EXPECT_EQ(CsvRows(csv).size(), 6u);
    }
}

// A controller that goes away mid-run: empty cells, then status 2 after five silent polls.
TEST(CliTools, MonitorEndsWhenTheControllerStopsAnswering) {
    testsupport::LogCapture log;
    Simulated sim(kFamilies[0]);
    ASSERT_TRUE(sim.Ready());
    const std::string csv = sim.File("live.csv");
    std::thread stopper([&sim, &csv] {
        AwaitFirstRow(csv);
        sim.Stop();
    });
    const CliRun run = RunCommand(sim.Args({"monitor", "--interval", "20", "--csv", csv}));
    stopper.join();
    EXPECT_EQ(run.status, cli::kExitNoController);
    EXPECT_NE(run.err.find("lost the controller"), std::string::npos) << run.err;
    const std::vector<Row> rows = CsvRows(csv);
    ASSERT_GE(rows.size(), 7u);
    for (size_t i = rows.size() - 5; i < rows.size(); ++i)
        EXPECT_EQ(Row(rows[i].begin() + 1, rows[i].end()), Row(rows[0].size() - 1, "")) << i;
}

// Ctrl-C ends the run with success and every row written whole.
TEST(CliTools, MonitorStopsCleanlyOnInterrupt) {
    testsupport::LogCapture log;
    Simulated sim(kFamilies[1]);
    ASSERT_TRUE(sim.Ready());
    const std::string csv = sim.File("live.csv");
    std::thread interrupter([&csv] {
        // The first row is written once the handler is in place.
        AwaitFirstRow(csv);
        kill(getpid(), SIGINT);
    });
    const CliRun run = RunCommand(sim.Args({"monitor", "--interval", "50", "--csv", csv}));
    interrupter.join();
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string text = testsupport::ReadFileBytes(csv);
    EXPECT_EQ(text.back(), '\n');
    const std::vector<Row> rows = CsvRows(csv);
    ASSERT_GE(rows.size(), 2u);
    for (const Row& row : rows) EXPECT_EQ(row.size(), rows[0].size());
}

}  // namespace
