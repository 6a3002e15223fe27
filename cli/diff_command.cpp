// diff: two backups or profiles of one family, or a file against the connected controller, compared
// entry by entry as the tuning page groups them. The file on the left is taken into the model over
// the right side's values, so what it changes there is what a load would change.
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/cli_app.h"
#include "cli/commands.h"
#include "cli/compare.h"
#include "cli/connection.h"
#include "cli/output.h"
#include "core/text.h"
#include "session/family_table.h"
#include "session/session.h"

namespace cli {

namespace {

using Json = nlohmann::ordered_json;

// Puts every family back to "nothing read" when the comparison ends, however it ends: the files'
// values must not stay in the model for whatever runs next in the process.
class ModelReset {
public:
    ModelReset() = default;
    ~ModelReset() { session::ResetFamilies(); }
    ModelReset(const ModelReset&) = delete;
    ModelReset& operator=(const ModelReset&) = delete;
};

std::string Cell(bool held, const std::optional<std::string>& value) {
    if (!held) return "(none)";
    return value ? *value : std::string(kNoAnswer);
}

int Report(const Side& left, const Side& right, bool json, CommandIo& io) {
    const std::vector<Difference> differences = Compare(left, right);
    if (json) {
        Json list = Json::array();
        for (const auto& d : differences)
            list.push_back({{"tab", d.tab},
                            {"section", d.section},
                            {"key", d.key},
                            {"label", d.label},
                            {"left", d.left ? Json(*d.left) : Json(nullptr)},
                            {"right", d.right ? Json(*d.right) : Json(nullptr)},
                            {"unit", d.unit}});
        Out(io) << Json{{"left", left.name},
                        {"right", right.name},
                        {"identical", differences.empty()},
                        {"differences", std::move(list)}}
                       .dump(2, ' ', false, Json::error_handler_t::replace)
                << '\n';
    } else if (!differences.empty()) {
        std::vector<TableRow> rows;
        for (const auto& d : differences)
            rows.push_back(
                {d.tab, d.section, d.label, Cell(d.onLeft, d.left), Cell(d.onRight, d.right), d.unit});
        WriteTable(Out(io), {"TAB", "SECTION", "PARAMETER", "LEFT", "RIGHT", "UNIT"}, rows);
    }
    if (differences.empty()) {
        Err(io) << "No difference: " << left.name << " and " << right.name << " hold the same values\n";
        return kExitSuccess;
    }
    Err(io) << differences.size() << " difference(s): LEFT is " << left.name << ", RIGHT is " << right.name
            << '\n';
    return kExitDifferent;
}

int DiffFiles(const std::filesystem::path& leftFile, const std::filesystem::path& rightFile, bool json,
              CommandIo& io) {
    DataFileKind leftKind;
    DataFileKind rightKind;
    if (const int status = ReadDataFileKind(leftFile, io, leftKind); status != kExitSuccess) return status;
    if (const int status = ReadDataFileKind(rightFile, io, rightKind); status != kExitSuccess) return status;
    if (leftKind.family != rightKind.family)
        return Fail(io, kExitRefused,
                    text::PathToUtf8(leftFile) + " holds " + session::FamilyName(leftKind.family) +
                        " values and " + text::PathToUtf8(rightFile) + " " +
                        session::FamilyName(rightKind.family) + " values: compare files of one family");
    const ModelReset reset;
    EmptyModel(rightKind.family);
    Side right;
    if (const int status = FileSide(rightFile, rightKind, io, right); status != kExitSuccess) return status;
    Side left;
    if (const int status = FileSide(leftFile, leftKind, io, left); status != kExitSuccess) return status;
    return Report(left, right, json, io);
}

int DiffController(const ConnectOptions& connect, const std::filesystem::path& file, bool json,
                   CommandIo& io) {
    DataFileKind kind;
    if (const int status = ReadDataFileKind(file, io, kind); status != kExitSuccess) return status;
    const ConnectedSession connection(connect.port, connect.families);
    if (connection.Status() != kExitSuccess) return Fail(io, connection.Status(), connection.Error());
    const std::string family = session::FamilyName(connection.Family());
    if (kind.family != connection.Family())
        return Fail(io, kExitRefused,
                    text::PathToUtf8(file) + " holds " + session::FamilyName(kind.family) +
                        " values and the controller on " + connection.Port() + " is " + family +
                        ": compare a file of the controller's family");
    const Side right = ControllerSide(connection.Family(), family + " controller on " + connection.Port());
    Side left;
    if (const int status = FileSide(file, kind, io, left); status != kExitSuccess) return status;
    return Report(left, right, json, io);
}

}  // namespace

int DiffCommand(const ConnectOptions& connect, bool portGiven,
                const std::vector<std::filesystem::path>& files, bool json, CommandIo& io) {
    if (files.size() == 2 && portGiven)
        return Fail(io, kExitUsage, "give two files, or --port and one file: see vantrel-cli diff --help");
    if (files.size() == 2) return DiffFiles(files[0], files[1], json, io);
    if (files.size() == 1) return DiffController(connect, files[0], json, io);
    return Fail(io, kExitUsage, "give two files, or --port and one file: see vantrel-cli diff --help");
}

}  // namespace cli
