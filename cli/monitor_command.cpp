// monitor: the live values of the Stats tab asked for again and again, shown as a table redrawn in
// place and/or written to a CSV file one row per poll, until a count of polls, Ctrl-C or a controller
// that stopped answering.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>

#include "cli/cli_app.h"
#include "cli/connection.h"
#include "cli/console.h"
#include "cli/output.h"
#include "cli/tool_commands.h"
#include "core/host.h"
#include "core/prompter.h"
#include "core/text.h"
#include "session/family_table.h"
#include "session/tuning_rows.h"

namespace cli {

namespace {

// Polls in a row without one answer before the controller counts as gone.
constexpr uint32_t kSilentPollsLost = 5;
// The wait between polls is cut into steps so that Ctrl-C is heard soon.
constexpr uint32_t kPauseStepMs = 100;

struct Column {
    std::wstring key;
    std::string label;
    std::string unit;
    std::optional<std::string> value;  // this poll's; none when the entry did not answer
    std::optional<double> lowest;
    std::optional<double> highest;
    std::string lowestText;
    std::string highestText;
};

std::vector<const ParamEntry*> LiveEntries(Family family) {
    return datafiles::SectionRows(
        datafiles::TabSections(session::Ops(family).layout(), datafiles::TuningTab::Stats));
}

// One poll: every column takes its value when the controller gave it. True when anything answered.
bool Poll(Family family, std::vector<Column>& columns) {
    const session::FamilyOps& ops = session::Ops(family);
    ops.forgetReads();
    ops.readLive();
    // Taken afresh: a group that answered publishes its entries again.
    std::map<std::wstring, const ParamEntry*> entries;
    for (const ParamEntry* entry : LiveEntries(family)) entries.emplace(entry->key, entry);
    bool answered = false;
    for (auto& column : columns) {
        const auto found = entries.find(column.key);
        column.value.reset();
        if (found == entries.end() || !ops.entryWasRead(*found->second)) continue;
        answered = true;
        column.value = text::WideToUtf8(session::CurrentText(*found->second));
        const auto number = text::ParseLeadingDouble(*column.value);
        if (!number) continue;
        if (!column.lowest || *number < *column.lowest) {
            column.lowest = number;
            column.lowestText = *column.value;
        }
        if (!column.highest || *number > *column.highest) {
            column.highest = number;
            column.highestText = *column.value;
        }
    }
    return answered;
}

// "2025-07-08T14:05:09.123", local time.
std::string IsoTime(const host::LocalTime& t) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.millisecond);
    return buffer;
}

std::string CsvField(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (const char c : field) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

void WriteCsvRow(std::ostream& csv, const std::vector<std::string>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) csv << (i ? "," : "") << CsvField(fields[i]);
    csv << '\n';
}

std::string Table(const std::vector<Column>& columns) {
    std::vector<TableRow> rows;
    for (const auto& column : columns)
        rows.push_back({column.label, column.value.value_or(std::string(kNoAnswer)), column.unit,
                        column.lowestText, column.highestText});
    std::ostringstream table;
    WriteTable(table, {"PARAMETER", "VALUE", "UNIT", "MIN", "MAX"}, rows);
    return table.str();
}

// The table drawn over the one drawn before it on a terminal.
class LiveTable {
public:
    explicit LiveTable(std::ostream& out) : out_(out) {}

    void Draw(const std::string& heading, const std::vector<Column>& columns) {
        const std::string text = heading + "\n" + Table(columns);
        if (lines_ > 0) out_ << "\x1b[" << lines_ << "A\r\x1b[J";
        out_ << text << std::flush;
        lines_ = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    }

private:
    std::ostream& out_;
    size_t lines_ = 0;
};

}  // namespace

int MonitorCommand(const ConnectOptions& connect, const MonitorOptions& options, CommandIo& io) {
    // A CSV of an earlier run is a record of its own: replaced only when asked, like a backup.
    if (options.csv)
        if (const std::string why = ReplaceProblem(*options.csv, options.force); !why.empty())
            return Fail(io, kExitRefused, "cannot write " + text::PathToUtf8(*options.csv) + ": " + why);
    const ConnectedSession connection(connect.port, connect.families);
    if (connection.Status() != kExitSuccess) return Fail(io, connection.Status(), connection.Error());
    const Family family = connection.Family();
    const std::vector<const ParamEntry*> live = LiveEntries(family);
    if (!session::Ops(family).readLive || live.empty())
        return Fail(io, kExitRefused, session::FamilyName(family) + " controllers report no live values");
    std::vector<Column> columns;
    for (const ParamEntry* entry : live)
        columns.push_back(
            {entry->key, text::WideToUtf8(entry->label), text::WideToUtf8(entry->unit), {}, {}, {}, {}, {}});

    std::ofstream csv;
    const std::string csvName = options.csv ? text::PathToUtf8(*options.csv) : std::string();
    if (options.csv) {
        csv.open(*options.csv, std::ios::binary | std::ios::trunc);
        if (!csv)
            return Fail(io, kExitRefused, "cannot write " + csvName + ": check the folder and its rights");
        std::vector<std::string> header = {"Time"};
        for (const auto& column : columns)
            header.push_back(column.unit.empty() ? column.label : column.label + " (" + column.unit + ")");
        WriteCsvRow(csv, header);
        csv.flush();
    }

    const InterruptWatch watch;
    LiveTable table(Out(io));
    uint32_t polls = 0;
    uint32_t silent = 0;
    int status = kExitSuccess;
    std::string failure;
    while (!watch.Interrupted()) {
        const uint32_t started = host::TickMs();
        const std::string when = IsoTime(host::Now());
        silent = Poll(family, columns) ? 0 : silent + 1;
        ++polls;
        if (options.csv) {
            std::vector<std::string> row = {when};
            for (const auto& column : columns) row.push_back(column.value.value_or(""));
            WriteCsvRow(csv, row);
            csv.flush();
            if (!csv) {
                status = kExitRefused;
                failure = "could not write to " + csvName + ": check the free space";
                break;
            }
        }
        if (options.terminal)
            table.Draw("Poll " + std::to_string(polls) + " at " + when + " (Ctrl-C stops)", columns);
        if (silent >= kSilentPollsLost) {
            status = kExitNoController;
            failure = "lost the controller: " + std::to_string(kSilentPollsLost) +
                      " polls in a row without an answer; check the cable and the controller's power";
            break;
        }
        if (options.count > 0 && polls >= options.count) break;
        // Never faster than a poll takes: the wait is what is left of the interval.
        const uint32_t elapsed = host::TickMs() - started;
        for (uint32_t left = options.intervalMs > elapsed ? options.intervalMs - elapsed : 0;
             left > 0 && !watch.Interrupted();) {
            const uint32_t step = std::min(left, kPauseStepMs);
            Pause(step);
            left -= step;
        }
    }
    if (!options.terminal && polls > 0) Out(io) << Table(columns);
    if (status != kExitSuccess) return Fail(io, status, failure);
    Err(io) << polls << " poll(s)" << (options.csv ? " written to " + csvName : std::string()) << '\n';
    return kExitSuccess;
}

}  // namespace cli
