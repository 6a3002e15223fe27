// diff, report and monitor end to end against vantrel-sim, run in this process through the library the
// executable is made of.
#include <gtest/gtest.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "cli/cli_app.h"
#include "tests/cli/posix/simulated.h"
#include "tests/support/log_capture.h"

namespace {

using Json = nlohmann::ordered_json;
using clitest::CliRun;
using clitest::kFamilies;
using clitest::RunCommand;
using clitest::Simulated;
using Row = std::vector<std::string>;

std::string S(const Json& value) {
    return value.get<std::string>();
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

// diff and a report against a backup see the one changed entry, and diff refuses files it cannot
// compare. A controller that leaves a value unanswered differs from the backup, its report ends
// incomplete, showing the value as not given, and it gets no backup.
TEST(CliTools, DiffAndReportSeeExactlyTheChangedEntry) {
    testsupport::LogCapture log;
    for (const auto& c : kFamilies) {
        SCOPED_TRACE(c.family);
        Simulated sim(c.family);
        ASSERT_TRUE(sim.Ready());
        const std::string before = sim.File("before.vtdata");
        const std::string after = sim.File("after.vtdata");
        const std::string report = sim.File("report.html");
        ASSERT_EQ(sim.Run({"backup", "--out", before}).status, 0);
        EXPECT_TRUE(RunJson({"diff", before, before, "--json"}, cli::kExitSuccess)["identical"].get<bool>());
        EXPECT_EQ(RunJson(sim.Args({"diff", before, "--json"}), cli::kExitSuccess)["differences"].size(), 0u);
        // Refused: another family's file, against the file or the controller, and a damaged file.
        const std::string other = sim.File("other.vtdata"), damaged = sim.File("damaged.vtdata");
        const std::string header = "[FILE]\nType=Backup\nControllerType=";
        testsupport::WriteFileBytes(other, header + (c.family == std::string("FJ") ? "Tercel" : "FJ"));
        testsupport::WriteFileBytes(damaged, header + c.family + "\n[Data]\nd0=0G\n");
        for (const auto& [args, says] : {std::pair<std::vector<std::string>, const char*>{
                                             {"diff", before, other}, "compare files of one family"},
                                         {{"diff", damaged, before}, "damaged"},
                                         {sim.Args({"diff", other}), "compare a file of the controller's"}}) {
            const CliRun run = RunCommand(args);
            EXPECT_EQ(run.status, cli::kExitRefused) << run.err;
            EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
            EXPECT_EQ(run.out, "");
        }

        const std::string set = std::string(c.key) + "=" + c.changed;
        ASSERT_EQ(sim.Run({"set", set, "--write", "--no-auto-backup"}).status, 0);
        ASSERT_EQ(sim.Run({"backup", "--out", after}).status, 0);
        // The file on the left, the controller or the second file on the right: both see the one change.
        for (const Json& diff : {RunJson(sim.Args({"diff", before, "--json"}), cli::kExitDifferent),
                                 RunJson({"diff", before, after, "--json"}, cli::kExitDifferent)}) {
            ASSERT_EQ(diff["differences"].size(), 1u) << diff.dump(2);
            const Json& d = diff["differences"][0];
            EXPECT_EQ(Row({S(d["tab"]), S(d["key"]), S(d["label"]), S(d["left"]), S(d["right"])}),
                      Row({"Tuning", c.key, c.label, c.initial, c.changed}));
        }
        ASSERT_EQ(sim.Run({"report", "--out", report, "--against", before}).status, 0);
        std::vector<Row> marked;
        for (const Row& row : HtmlRows(testsupport::ReadFileBytes(report)))
            if (row.back() == "(differs)") marked.push_back(row);
        ASSERT_EQ(marked.size(), 1u);
        EXPECT_EQ(Row({marked[0][0], marked[0][1], marked[0][5]}), Row({c.label, c.changed, c.initial}));

        Simulated silent(c.family, {"--fault", "silent", "--fault-on", c.silentRequest});
        ASSERT_TRUE(silent.Ready());
        const CliRun unread = silent.Run({"report", "--out", report, "--force"});
        EXPECT_EQ(unread.status, cli::kExitNotConfirmed) << unread.err;
        EXPECT_NE(testsupport::ReadFileBytes(report).find(c.unreadShown), std::string::npos);
        bool unreadDiffers = false;
        const Json diff = RunJson(silent.Args({"diff", before, "--json"}), cli::kExitDifferent);
        for (const auto& d : diff["differences"]) unreadDiffers |= d["right"].is_null();
        EXPECT_TRUE(unreadDiffers);
        const CliRun backup = silent.Run({"backup", "--out", silent.File("backup.vtdata")});
        EXPECT_EQ(backup.status, cli::kExitNotConfirmed) << backup.err;
        EXPECT_NE(backup.err.find("no backup written"), std::string::npos) << backup.err;
        EXPECT_FALSE(std::filesystem::exists(silent.File("backup.vtdata")));
        // read shows the value as not given, never as a number, and says so in its status.
        const Json read = RunJson(silent.Args({"read", "--json"}), cli::kExitNotConfirmed);
        bool notGiven = !read["unreadGroups"].empty();
        for (const auto& e : read["entries"])
            if (!e["read"].get<bool>()) notGiven = e["value"].is_null();
        EXPECT_TRUE(notGiven);
    }
}

TEST(CliTools, ReportHoldsEveryEntryAndFaultOfTheController) {
    testsupport::LogCapture log;
    for (const auto& c : kFamilies) {
        SCOPED_TRACE(c.family);
        Simulated sim(c.family);
        ASSERT_TRUE(sim.Ready());
        const std::string out = sim.File("report.html");
        const std::string customer = "Cart <7> & \"Sons\"";
        ASSERT_EQ(sim.Run({"report", "--out", out, "--customer", customer}).status, 0);
        const std::string html = testsupport::ReadFileBytes(out);
        for (const char* external : {"<script", "src=", "<link", "@import"})
            EXPECT_EQ(html.find(external), std::string::npos) << external;
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
        EXPECT_EQ(sim.Run({"report", "--out", out}).status, cli::kExitRefused);
    }
}

// The CSV file's lines, split at commas (the simulators' labels and values hold none).
std::vector<Row> CsvRows(const std::string& path) {
    std::vector<Row> rows;
    std::istringstream lines(testsupport::ReadFileBytes(path));
    for (std::string line; std::getline(lines, line);) {
        rows.emplace_back(1);
        for (const char ch : line) ch == ',' ? rows.back().emplace_back() : rows.back().back() += ch;
    }
    return rows;
}

TEST(CliTools, MonitorWritesOneRowPerPollOfTheLiveValues) {
    testsupport::LogCapture log;
    for (const auto& c : kFamilies) {
        SCOPED_TRACE(c.family);
        Simulated sim(c.family);
        ASSERT_TRUE(sim.Ready());
        const std::string csv = sim.File("live.csv");
        const CliRun run = sim.Run({"monitor", "--interval", "0", "--count", "5", "--csv", csv});
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
        EXPECT_EQ(sim.Run({"monitor", "--count", "1", "--csv", csv}).status, cli::kExitRefused);
        EXPECT_EQ(CsvRows(csv).size(), 6u);
    }
}

// A controller that goes away mid-run: empty cells, then status 2 after five silent polls.
TEST(CliTools, MonitorEndsWhenTheControllerStopsAnswering) {
    testsupport::LogCapture log;
    Simulated sim("FJ");
    ASSERT_TRUE(sim.Ready());
    const std::string csv = sim.File("live.csv");
    std::thread stopper([&sim, &csv] {  // once a row of values is written, or after ten seconds
        for (int i = 0; i < 1000 && testsupport::ReadFileBytes(csv).find("\n2") == std::string::npos; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        sim.Stop();
    });
    const CliRun run = sim.Run({"monitor", "--interval", "20", "--csv", csv});
    stopper.join();
    EXPECT_EQ(run.status, cli::kExitNoController);
    EXPECT_NE(run.err.find("lost the controller"), std::string::npos) << run.err;
    const std::vector<Row> rows = CsvRows(csv);
    ASSERT_GE(rows.size(), 7u);
    for (size_t i = rows.size() - 5; i < rows.size(); ++i)
        EXPECT_EQ(Row(rows[i].begin() + 1, rows[i].end()), Row(rows[0].size() - 1, "")) << i;
}

}  // namespace
