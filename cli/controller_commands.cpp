#include <map>
#include <nlohmann/json.hpp>
#include <ostream>
#include <set>
#include <system_error>

#include "cli/cli_app.h"
#include "cli/commands.h"
#include "cli/connection.h"
#include "cli/output.h"
#include "core/host.h"
#include "core/param_registry.h"
#include "core/text.h"
#include "datafiles/data_file.h"
#include "serial/port_list.h"
#include "session/family_table.h"
#include "session/fault_rows.h"
#include "session/read_values.h"
#include "session/safety_backup.h"
#include "session/tuning_actions.h"
#include "session/tuning_edit.h"
#include "session/tuning_rows.h"

namespace cli {

namespace {

using datafiles::TuningTab;
using Json = nlohmann::ordered_json;

constexpr TuningTab kTabs[] = {TuningTab::Tuning, TuningTab::Stats, TuningTab::Info, TuningTab::Sink};

std::string Utf8(const std::wstring& wide) {
    return text::WideToUtf8(wide);
}

// Labels and values come from the controller and from files: text that is not UTF-8 is shown with
// replacement characters rather than ending the command.
void WriteJson(std::ostream& out, const Json& json) {
    out << json.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

// The shown value of every entry of the tuning page, by key, in page order.
struct EntryValue {
    std::wstring key;
    std::wstring label;
    std::wstring value;
};

std::vector<EntryValue> Snapshot(Family family) {
    std::vector<EntryValue> values;
    std::map<std::wstring, bool> seen;
    for (const auto& layout : session::Ops(family).layout())
        for (const ParamEntry* entry : datafiles::SectionRows(layout.sections)) {
            if (!seen.emplace(entry->key, true).second) continue;
            values.push_back({entry->key, entry->label, session::CurrentText(*entry)});
        }
    return values;
}

struct Change {
    std::wstring key;
    std::wstring label;
    std::wstring before;
    std::wstring after;
    std::wstring readBack;
};

// What the controller gave for the key in this connection, or that it gave nothing.
std::wstring ControllerText(const std::wstring& key) {
    return session::LastRead().Of(key).value_or(text::WidenByChar(kNoAnswer));
}

// The entries whose model value changed; their current value is the controller's, never the model's
// stand-in for a value it did not give.
std::vector<Change> Differences(const std::vector<EntryValue>& before, const std::vector<EntryValue>& after) {
    std::map<std::wstring, std::wstring> old;
    for (const auto& value : before) old[value.key] = value.value;
    std::vector<Change> changes;
    for (const auto& value : after) {
        const auto found = old.find(value.key);
        const std::wstring previous = found == old.end() ? std::wstring() : found->second;
        if (previous != value.value)
            changes.push_back({value.key, value.label, ControllerText(value.key), value.value, {}});
    }
    return changes;
}

std::string Names(const std::vector<std::string>& names) {
    std::string joined;
    for (const auto& name : names) joined += (joined.empty() ? "" : ", ") + name;
    return joined;
}

int ConnectFailed(CommandIo& io, const ConnectedSession& connection) {
    return Fail(io, connection.Status(), connection.Error());
}

// Writes what the model holds the family's way, reads everything back and compares each changed
// value with what the controller now reports: a controller may clamp or ignore a value and still
// acknowledge the write.
int WriteAndReadBack(Family family, std::vector<Change>& changes, CommandIo& io) {
    const WriteOutcome written = session::WritePendingChanges(family);
    // The full read also brings back a port that the line took away during the write.
    const session::ReadOutcome readBack = session::ReadEverything(family);
    const session::FamilyOps& ops = session::Ops(family);
    std::set<std::wstring> unanswered;
    for (const auto& change : changes) {
        // The families' full reads keep the value of an entry that does not answer, and after a write
        // that is the value just written: it would pass for a value the controller took. Only an entry
        // the read back marked as read again is shown as read back.
        const ParamEntry* entry = session::FindEntry(family, change.key);
        if (!readBack.portOpen || !ops.readBack(change.key) || !entry || !ops.entryWasRead(*entry))
            unanswered.insert(change.key);
    }
    std::map<std::wstring, std::wstring> now;
    for (const auto& value : Snapshot(family)) now[value.key] = value.value;
    size_t notTaken = 0;
    for (auto& change : changes) {
        change.readBack = unanswered.count(change.key) ? text::WidenByChar(kNoAnswer) : now[change.key];
        if (change.readBack != change.after) ++notTaken;
    }
    if (!written.AllConfirmed()) {
        std::string keys;
        for (const auto& key : written.notConfirmed) keys += (keys.empty() ? "" : ", ") + Utf8(key);
        return Fail(io, kExitNotConfirmed,
                    "the controller did not confirm: " + keys +
                        ": check the cable and read the values again with vantrel-cli read");
    }
    if (!readBack.AllRead())
        return Fail(
            io, kExitNotConfirmed,
            "the values were written but could not all be read back: check them with vantrel-cli read");
    if (notTaken > 0)
        return Fail(io, kExitNotConfirmed,
                    std::to_string(notTaken) +
                        " value(s) were not taken by the controller (see the READ BACK column): check its "
                        "limits and try again");
    return kExitSuccess;
}

// The changes as a table or as JSON, with what the controller reported after a write.
void WriteChanges(const ConnectedSession& connection, const std::vector<Change>& changes, bool written,
                  bool json, CommandIo& io) {
    if (json) {
        Json list = Json::array();
        for (const auto& change : changes) {
            Json item = {{"key", Utf8(change.key)},
                         {"label", Utf8(change.label)},
                         {"current", Utf8(change.before)},
                         {"new", Utf8(change.after)}};
            if (written) {
                item["readBack"] = Utf8(change.readBack);
                item["taken"] = change.readBack == change.after;
            }
            list.push_back(std::move(item));
        }
        WriteJson(Out(io), {{"controller", session::FamilyName(connection.Family())},
                            {"port", connection.Port()},
                            {"written", written},
                            {"changes", std::move(list)}});
        return;
    }
    std::vector<TableRow> rows;
    for (const auto& change : changes) {
        TableRow row = {Utf8(change.label), Utf8(change.before), Utf8(change.after)};
        if (written) row.push_back(Utf8(change.readBack));
        rows.push_back(std::move(row));
    }
    TableRow header = {"PARAMETER", "CURRENT", "NEW"};
    if (written) header.push_back("READ BACK");
    WriteTable(Out(io), header, rows);
}

datafiles::DataFileContext ContextFor(Family family) {
    datafiles::DataFileContext context;
    context.part = session::Ops(family).dataFile;
    std::error_code ignored;
    context.executableDirectory =
        host::ExecutableDirectory().value_or(std::filesystem::current_path(ignored));
    return context;
}

// The common end of set and load: show what changes, and write it only when asked, after a safety
// backup of the values the controller holds.
int FinishChanges(const ConnectedSession& connection, std::vector<Change> changes, const WriteOptions& write,
                  bool json, CommandIo& io) {
    int status = kExitSuccess;
    const bool writing = write.write && !changes.empty();
    if (writing && write.safetyBackup) {
        const session::SafetyBackup backup = session::SaveSafetyBackup(
            connection.Family(), ContextFor(connection.Family()).executableDirectory);
        if (!backup.Saved())
            return Fail(io, kExitRefused,
                        "no safety backup could be saved: " + backup.problem +
                            ": nothing was written; add --no-auto-backup to write without one");
        Err(io) << "Safety backup: " << text::PathToUtf8(backup.file) << '\n';
    }
    if (writing) {
        if (!write.safetyBackup) Err(io) << "No safety backup saved (--no-auto-backup)\n";
        status = WriteAndReadBack(connection.Family(), changes, io);
    }
    WriteChanges(connection, changes, writing, json, io);
    if (changes.empty())
        Err(io) << "Nothing to change: the controller already holds these values\n";
    else if (!write.write)
        Err(io) << "Nothing was sent: add --write to write these values to the controller\n";
    return status;
}

Json FaultRowsJson(const session::FaultTable& table) {
    Json rows = Json::array();
    for (const auto& cells : table.rows) {
        Json row = Json::object();
        for (size_t i = 0; i < table.columns.size(); ++i)
            row[Utf8(table.columns[i].title)] = i < cells.size() ? Utf8(cells[i]) : std::string();
        rows.push_back(std::move(row));
    }
    return rows;
}

void WriteFaultTable(std::ostream& out, const std::string& title, const session::FaultTable& table) {
    out << title << '\n';
    TableRow header;
    for (const auto& column : table.columns) header.push_back(Utf8(column.title));
    std::vector<TableRow> rows;
    for (const auto& cells : table.rows) {
        TableRow row;
        for (const auto& cell : cells) row.push_back(Utf8(cell));
        rows.push_back(std::move(row));
    }
    WriteTable(out, header, rows);
    if (rows.empty()) out << "(none)\n";
}

}  // namespace

std::ostream& Out(CommandIo& io) {
    if (io.status) io.status->Finish();
    return io.out;
}

std::ostream& Err(CommandIo& io) {
    if (io.status) io.status->Finish();
    return io.err;
}

int Fail(CommandIo& io, int status, const std::string& message) {
    Err(io) << "vantrel-cli: " << message << '\n';
    return status;
}

int PortsCommand(bool json, CommandIo& io) {
    const PortChoice choice = RefreshPorts();
    if (json) {
        Json ports = Json::array();
        for (size_t i = 0; i < choice.ports.size(); ++i)
            ports.push_back({{"port", choice.ports[i].port},
                             {"name", choice.ports[i].name},
                             {"selected", static_cast<int>(i) == choice.selected}});
        WriteJson(Out(io), {{"ports", std::move(ports)}});
    } else {
        std::vector<TableRow> rows;
        for (size_t i = 0; i < choice.ports.size(); ++i)
            rows.push_back({choice.ports[i].port, choice.ports[i].name,
                            static_cast<int>(i) == choice.selected ? "*" : ""});
        WriteTable(Out(io), {"PORT", "NAME", "SELECTED"}, rows);
    }
    if (choice.ports.empty()) Err(io) << "No serial port found: plug the cable in and try again\n";
    return kExitSuccess;
}

int ProbeCommand(const ConnectOptions& connect, CommandIo& io) {
    const ConnectedSession connection(connect.port, connect.families);
    if (connection.Status() != kExitSuccess) return ConnectFailed(io, connection);
    Out(io) << session::FamilyName(connection.Family()) << '\n';
    return kExitSuccess;
}

int ReadCommand(const ConnectOptions& connect, bool json, CommandIo& io) {
    const ConnectedSession connection(connect.port, connect.families);
    if (connection.Status() != kExitSuccess) return ConnectFailed(io, connection);
    session::RowRegistry registry;
    registry.Rebuild(connection.Family());
    Json entries = Json::array();
    std::vector<TableRow> rows;
    size_t unread = 0;
    for (const TuningTab tab : kTabs) {
        const std::string tabTitle = Utf8(session::TabTitle(tab));
        std::string section;
        for (const auto& row : registry.Rows(tab)) {
            if (row.IsHeading()) {
                section = Utf8(row.heading);
                continue;
            }
            const session::RowCells cells = session::CellsOf(*row.entry);
            const bool readOnly = row.entry->readOnly || row.tag == session::kReadOnlyRowTag;
            // Only what the controller gave in this connection is its value.
            const auto value = session::LastRead().Of(row.entry->key);
            if (!value) ++unread;
            const std::string shown = value ? Utf8(*value) : std::string(kNoAnswer);
            if (json) {
                entries.push_back({{"tab", tabTitle},
                                   {"section", section},
                                   {"key", Utf8(row.entry->key)},
                                   {"label", Utf8(cells.label)},
                                   {"value", value ? Json(Utf8(*value)) : Json(nullptr)},
                                   {"read", value.has_value()},
                                   {"unit", Utf8(cells.unit)},
                                   {"min", Utf8(cells.min)},
                                   {"max", Utf8(cells.max)},
                                   {"readOnly", readOnly}});
            } else {
                rows.push_back({tabTitle, section, Utf8(cells.label), shown, Utf8(cells.unit),
                                Utf8(cells.min), Utf8(cells.max), readOnly ? "yes" : ""});
            }
        }
    }
    const std::vector<std::string> missing = session::Ops(connection.Family()).unreadGroups();
    if (json)
        WriteJson(Out(io), {{"controller", session::FamilyName(connection.Family())},
                            {"port", connection.Port()},
                            {"entries", std::move(entries)},
                            {"unreadGroups", missing}});
    else
        WriteTable(Out(io), {"TAB", "SECTION", "PARAMETER", "VALUE", "UNIT", "MIN", "MAX", "READ-ONLY"},
                   rows);
    if (unread > 0)
        return Fail(io, kExitNotConfirmed,
                    std::to_string(unread) +
                        " value(s) could not be read (shown as (no answer)): check the cable and read again");
    if (!missing.empty())
        return Fail(io, kExitNotConfirmed,
                    "the controller did not give " + Names(missing) + ": check the cable and read again");
    return kExitSuccess;
}

int FaultsCommand(const ConnectOptions& connect, bool json, CommandIo& io) {
    const ConnectedSession connection(connect.port, connect.families);
    if (connection.Status() != kExitSuccess) return ConnectFailed(io, connection);
    const session::FaultRows faults = session::BuildFaultRows(connection.Family());
    if (!faults.notice.empty()) Err(io) << Utf8(faults.notice) << '\n';
    if (json) {
        WriteJson(Out(io), {{"controller", session::FamilyName(connection.Family())},
                            {"current", FaultRowsJson(faults.current)},
                            {"historical", FaultRowsJson(faults.historical)}});
        return kExitSuccess;
    }
    WriteFaultTable(Out(io), "Current faults", faults.current);
    Out(io) << '\n';
    WriteFaultTable(Out(io), "Historical faults", faults.historical);
    if (!faults.legend.empty()) {
        Out(io) << '\n';
        for (const auto& line : faults.legend) Out(io) << Utf8(line) << '\n';
    }
    return kExitSuccess;
}

int BackupCommand(const ConnectOptions& connect, const std::filesystem::path& file,
                  const std::string& customer, bool force, CommandIo& io) {
    if (const std::string why = ReplaceProblem(file, force); !why.empty())
        return Fail(io, kExitRefused, text::PathToUtf8(file) + ": " + why);
    const ConnectedSession connection(connect.port, connect.families);
    if (connection.Status() != kExitSuccess) return ConnectFailed(io, connection);
    const session::ReadOutcome state = session::ReadState(connection.Family());
    if (!state.AllRead())
        return Fail(io, kExitNotConfirmed,
                    "no backup written: " + std::to_string(state.NeverRead()) +
                        " value(s) were not read from the controller; check the cable and try again");
    datafiles::DataFileContext context = ContextFor(connection.Family());
    context.customerName = customer;
    // The backups folder beside the program is made only when the backup goes there.
    std::error_code ignored;
    context.createBackupsFolder =
        std::filesystem::weakly_canonical(file.parent_path(), ignored) ==
        std::filesystem::weakly_canonical(datafiles::BackupsFolder(context), ignored);
    // Asked again: a file may have appeared there while the controller was read.
    if (const std::string why = ReplaceProblem(file, force); !why.empty())
        return Fail(io, kExitRefused, text::PathToUtf8(file) + ": " + why);
    io.prompter.SetSaveFile(file);
    if (!datafiles::SaveBackup(context)) {
        const std::string why = io.prompter.LastMessageText();
        io.prompter.DiscardMessages();
        return Fail(io, kExitRefused,
                    "the backup was not written to " + text::PathToUtf8(file) +
                        (why.empty() ? "" : ": " + why) +
                        ": check that the folder exists and can be written");
    }
    io.prompter.FlushMessages(Err(io));
    Out(io) << text::PathToUtf8(file) << '\n';
    return kExitSuccess;
}

int LoadCommand(const ConnectOptions& connect, const std::filesystem::path& file, const WriteOptions& write,
                bool json, CommandIo& io) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        return Fail(io, kExitRefused, "cannot read " + text::PathToUtf8(file) + ": check the file name");
    const ConnectedSession connection(connect.port, connect.families);
    if (connection.Status() != kExitSuccess) return ConnectFailed(io, connection);
    const auto before = Snapshot(connection.Family());
    io.prompter.SetOpenFile(file);
    if (!datafiles::LoadDataFile(ContextFor(connection.Family()))) {
        std::string why = io.prompter.LastMessageText();
        if (why.empty()) why = "no record of it could be taken, the file may be damaged";
        io.prompter.DiscardMessages();
        return Fail(io, kExitRefused,
                    text::PathToUtf8(file) + " was not loaded: " + why +
                        ": use a backup or profile of this " + session::FamilyName(connection.Family()) +
                        " controller");
    }
    io.prompter.FlushMessages(Err(io));
    return FinishChanges(connection, Differences(before, Snapshot(connection.Family())), write, json, io);
}

int SetCommand(const ConnectOptions& connect, const std::vector<std::string>& assignments,
               const WriteOptions& write, bool json, CommandIo& io) {
    std::vector<std::pair<std::string, std::string>> edits;
    for (const auto& assignment : assignments) {
        const size_t equals = assignment.find('=');
        if (equals == std::string::npos || equals == 0)
            return Fail(io, kExitUsage,
                        "'" + assignment + "' is not NAME=VALUE: give each change as NAME=VALUE");
        edits.emplace_back(assignment.substr(0, equals), assignment.substr(equals + 1));
    }
    const ConnectedSession connection(connect.port, connect.families);
    if (connection.Status() != kExitSuccess) return ConnectFailed(io, connection);
    const auto before = Snapshot(connection.Family());
    for (const auto& [name, value] : edits) {
        const ParamEntry* entry = session::FindEntry(connection.Family(), text::Utf8ToWide(name));
        if (!entry)
            return Fail(io, kExitRefused,
                        "no parameter '" + name + "' on this " + session::FamilyName(connection.Family()) +
                            " controller: vantrel-cli read --json lists every key and label");
        if (!session::LastRead().Has(entry->key))
            return Fail(io, kExitRefused,
                        "'" + name +
                            "' was not read from the controller: nothing was sent; read again with "
                            "vantrel-cli read");
        // Every value is checked before anything is sent: one refusal sends none of them.
        const session::EditResult result = session::CommitEdit(
            connection.Family(), *entry, text::Utf8ToWide(value), session::CurrentText(*entry));
        if (result.outcome == session::EditOutcome::Refused) {
            const std::string why =
                result.reason.empty() ? Utf8(std::wstring(session::kRefusalText)) : result.reason;
            return Fail(io, kExitRefused,
                        name + "=" + value + " refused: " + why +
                            ": nothing was sent; see vantrel-cli read for "
                            "its limits");
        }
    }
    io.prompter.FlushMessages(Err(io));
    return FinishChanges(connection, Differences(before, Snapshot(connection.Family())), write, json, io);
}

}  // namespace cli
