// report: one self-contained HTML page of the controller's state for the customer's file: who, when,
// which controller, every entry as the tuning page groups it, the faults, and with --against a backup's
// values beside the controller's. Inline CSS only, laid out for A4 paper.
#include <cstdio>
#include <map>
#include <ostream>
#include <sstream>

#include "cli/cli_app.h"
#include "cli/compare.h"
#include "cli/connection.h"
#include "cli/output.h"
#include "cli/tool_commands.h"
#include "core/atomic_file.h"
#include "core/host.h"
#include "core/text.h"
#include "session/family_table.h"
#include "session/fault_rows.h"
#include "session/read_values.h"
#include "session/tuning_rows.h"

namespace cli {

namespace {

using datafiles::TuningTab;

constexpr const char* kStyle = R"(
@page { size: A4; margin: 12mm; }
body { font-family: "DejaVu Sans", Arial, sans-serif; font-size: 9pt; color: #111; margin: 8mm auto;
       max-width: 186mm; }
h1 { font-size: 16pt; margin: 0 0 3mm; }
h2 { font-size: 12pt; margin: 6mm 0 2mm; border-bottom: 0.4mm solid #444; }
h3 { font-size: 10pt; margin: 4mm 0 1mm; }
table { border-collapse: collapse; width: 100%; margin-bottom: 2mm; }
th, td { border: 0.2mm solid #999; padding: 0.6mm 1.5mm; text-align: left; vertical-align: top; }
thead th { background: #e4e4e4; }
table.entries td:first-child { width: 38%; }
table.facts { width: auto; }
table.facts th { background: #f0f0f0; width: 45mm; }
tr.section th { background: #f4f4f4; font-style: italic; }
td.unread { color: #a00000; font-style: italic; }
tr.differs td { background: #fff0c0; font-weight: bold; }
p.none { color: #555; font-style: italic; }
p.legend { margin: 0.5mm 0; }
footer { margin-top: 6mm; font-size: 8pt; color: #555; }
@media print {
  body { margin: 0; max-width: none; }
  thead { display: table-header-group; }
  tr, h2, h3 { page-break-inside: avoid; break-inside: avoid; }
  h2, h3 { page-break-after: avoid; break-after: avoid; }
  thead th, tr.section th, tr.differs td { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
}
)";

std::string Utf8(const std::wstring& wide) {
    return text::WideToUtf8(wide);
}

std::string Escape(const std::string& raw) {
    std::string escaped;
    for (const char c : raw) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string Cell(const std::string& tag, const std::string& content, const std::string& cssClass = {}) {
    return "<" + tag + (cssClass.empty() ? "" : " class=\"" + cssClass + "\"") + ">" + Escape(content) +
           "</" + tag + ">";
}

std::string DateTime(const host::LocalTime& when) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", when.year, when.month, when.day,
                  when.hour, when.minute, when.second);
    return buffer;
}

// One row of the page, taken while the model holds the controller's values.
struct ReportRow {
    bool heading = false;
    std::string key;
    std::string label;  // the heading's text on a heading row
    std::optional<std::string> value;
    std::string unit;
    std::string min;
    std::string max;
};

struct ReportTab {
    std::string title;
    TuningTab tab;
    std::vector<ReportRow> rows;
};

std::vector<ReportTab> ControllerRows(Family family) {
    session::RowRegistry registry;
    registry.Rebuild(family);
    std::vector<ReportTab> tabs;
    for (const TuningTab tab : {TuningTab::Tuning, TuningTab::Stats, TuningTab::Info, TuningTab::Sink}) {
        ReportTab shown{Utf8(session::TabTitle(tab)), tab, {}};
        for (const auto& row : registry.Rows(tab)) {
            if (row.IsHeading()) {
                shown.rows.push_back({true, {}, Utf8(row.heading), {}, {}, {}, {}});
                continue;
            }
            const session::RowCells cells = session::CellsOf(*row.entry);
            const auto value = session::LastRead().Of(row.entry->key);
            shown.rows.push_back({false, Utf8(row.entry->key), Utf8(cells.label),
                                  value ? std::optional<std::string>(Utf8(*value)) : std::nullopt,
                                  Utf8(cells.unit), Utf8(cells.min), Utf8(cells.max)});
        }
        tabs.push_back(std::move(shown));
    }
    return tabs;
}

// The backup's column: its value of each entry it holds, and the entries that differ.
struct AgainstColumn {
    std::string file;
    std::map<std::string, std::optional<std::string>> values;
    std::map<std::string, bool> differs;
};

void WriteFaultTable(std::ostream& html, const std::string& title, const session::FaultTable& table) {
    html << "<h3>" << Escape(title) << "</h3>\n";
    if (table.rows.empty()) {
        html << "<p class=\"none\">None</p>\n";
        return;
    }
    html << "<table>\n<thead><tr>";
    for (const auto& column : table.columns) html << Cell("th", Utf8(column.title));
    html << "</tr></thead>\n<tbody>\n";
    for (const auto& cells : table.rows) {
        html << "<tr>";
        for (size_t i = 0; i < table.columns.size(); ++i)
            html << Cell("td", i < cells.size() ? Utf8(cells[i]) : std::string());
        html << "</tr>\n";
    }
    html << "</tbody>\n</table>\n";
}

void WriteEntryTable(std::ostream& html, const ReportTab& tab, const AgainstColumn* against) {
    html << "<h2>" << Escape(tab.title) << "</h2>\n";
    const int columns = against ? 7 : 5;
    html << "<table class=\"entries\">\n<thead><tr>" << Cell("th", "Parameter") << Cell("th", "Value")
         << Cell("th", "Unit") << Cell("th", "Min") << Cell("th", "Max");
    if (against) html << Cell("th", "Backup") << Cell("th", "Differs");
    html << "</tr></thead>\n<tbody>\n";
    for (const auto& row : tab.rows) {
        if (row.heading) {
            html << "<tr class=\"section\"><th colspan=\"" << columns << "\">" << Escape(row.label)
                 << "</th></tr>\n";
            continue;
        }
        const bool differs = against && against->differs.count(row.key);
        html << (differs ? "<tr class=\"differs\">" : "<tr>") << Cell("td", row.label)
             << (row.value ? Cell("td", *row.value) : Cell("td", std::string(kNoAnswer), "unread"))
             << Cell("td", row.unit) << Cell("td", row.min) << Cell("td", row.max);
        if (against) {
            const auto held = against->values.find(row.key);
            html << Cell("td", held == against->values.end() ? std::string() : held->second.value_or(""))
                 << Cell("td", differs ? "yes" : "");
        }
        html << "</tr>\n";
    }
    html << "</tbody>\n</table>\n";
}

struct ReportFacts {
    std::string when;
    std::string customer;
    std::string family;
    std::string controller;
    std::string port;
    std::vector<std::string> unreadGroups;
};

std::string Html(const ReportFacts& facts, const std::vector<ReportTab>& tabs,
                 const session::FaultRows& faults, const AgainstColumn* against) {
    std::ostringstream html;
    html << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>"
         << Escape("Service report: " + facts.controller + " " + facts.when) << "</title>\n<style>" << kStyle
         << "</style>\n</head>\n<body>\n<h1>Service report</h1>\n<table class=\"facts\">\n";
    const std::pair<const char*, std::string> fields[] = {
        {"Date and time", facts.when},    {"Customer", facts.customer}, {"Controller family", facts.family},
        {"Controller", facts.controller}, {"Port", facts.port},
    };
    for (const auto& [name, value] : fields)
        html << "<tr>" << Cell("th", name) << Cell("td", value) << "</tr>\n";
    if (against) html << "<tr>" << Cell("th", "Compared with") << Cell("td", against->file) << "</tr>\n";
    html << "</table>\n";
    if (!facts.unreadGroups.empty()) {
        std::string names;
        for (const auto& name : facts.unreadGroups) names += (names.empty() ? "" : ", ") + name;
        html << "<p class=\"none\">" << Escape("Not given by the controller: " + names) << "</p>\n";
    }

    html << "<h2>Identification</h2>\n<table class=\"facts\">\n";
    for (const auto& tab : tabs) {
        if (tab.tab != TuningTab::Info) continue;
        for (const auto& row : tab.rows)
            if (!row.heading)
                html << "<tr>" << Cell("th", row.label)
                     << (row.value ? Cell("td", *row.value) : Cell("td", std::string(kNoAnswer), "unread"))
                     << "</tr>\n";
    }
    html << "</table>\n";

    for (const auto& tab : tabs)
        if (!tab.rows.empty()) WriteEntryTable(html, tab, against);

    html << "<h2>Faults</h2>\n";
    WriteFaultTable(html, "Current faults", faults.current);
    WriteFaultTable(html, "Historical faults", faults.historical);
    for (const auto& line : faults.legend) html << "<p class=\"legend\">" << Escape(Utf8(line)) << "</p>\n";
    html << "<footer>" << Escape(std::string("Vantrel ") + VANTREL_VERSION)
         << "</footer>\n</body>\n</html>\n";
    return html.str();
}

}  // namespace

int ReportCommand(const ConnectOptions& connect, const ReportOptions& options, CommandIo& io) {
    const std::string out = text::PathToUtf8(options.out);
    if (const std::string why = ReplaceProblem(options.out, options.force); !why.empty())
        return Fail(io, kExitRefused, out + ": " + why);
    DataFileKind againstKind;
    if (options.against) {
        if (const int status = ReadDataFileKind(*options.against, io, againstKind); status != kExitSuccess)
            return status;
    }
    const ConnectedSession connection(connect.port, connect.families);
    if (connection.Status() != kExitSuccess) return Fail(io, connection.Status(), connection.Error());
    const Family family = connection.Family();
    const session::FamilyOps& ops = session::Ops(family);
    if (options.against && againstKind.family != family)
        return Fail(io, kExitRefused,
                    text::PathToUtf8(*options.against) + " holds " + session::FamilyName(againstKind.family) +
                        " values and the controller is " + session::FamilyName(family) +
                        ": compare with a backup of this controller");

    ReportFacts facts{DateTime(host::Now()),         options.customer,  session::FamilyName(family),
                      Utf8(ops.banner().statusText), connection.Port(), ops.unreadGroups()};
    const std::vector<ReportTab> tabs = ControllerRows(family);
    const session::FaultRows faults = session::BuildFaultRows(family);

    // The backup goes into the model over the controller's values: everything the page shows of the
    // controller was taken above.
    std::optional<AgainstColumn> against;
    if (options.against) {
        const Side controller = ControllerSide(family, session::FamilyName(family) + " controller");
        Side backup;
        if (const int status = FileSide(*options.against, againstKind, io, backup); status != kExitSuccess)
            return status;
        against.emplace();
        against->file = backup.name;
        for (const auto& entry : backup.entries) against->values[entry.key] = entry.value;
        for (const auto& difference : Compare(backup, controller)) against->differs[difference.key] = true;
    }

    std::string reason;
    // Asked again: a file may have appeared there while the controller was read.
    if (const std::string why = ReplaceProblem(options.out, options.force); !why.empty())
        return Fail(io, kExitRefused, out + ": " + why);
    if (!WriteFileAtomically(options.out, Html(facts, tabs, faults, against ? &*against : nullptr), &reason))
        return Fail(io, kExitRefused, "the report was not written to " + out + ": " + reason);
    Out(io) << out << '\n';

    size_t unread = 0;
    for (const auto& tab : tabs)
        for (const auto& row : tab.rows)
            if (!row.heading && !row.value) ++unread;
    if (unread > 0)
        return Fail(io, kExitNotConfirmed,
                    std::to_string(unread) + " value(s) could not be read (shown as " +
                        std::string(kNoAnswer) + "): check the cable and make the report again");
    if (!facts.unreadGroups.empty())
        return Fail(io, kExitNotConfirmed,
                    "the controller did not give every group: check the cable and make the report again");
    return kExitSuccess;
}

}  // namespace cli
