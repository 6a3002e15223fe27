// inspect: what a data file holds, read without a controller. Each record is deciphered and checked by
// the same check a load makes, so one damaged record is named while the others are still shown.
#include <nlohmann/json.hpp>
#include <ostream>
#include <system_error>

#include "cli/cli_app.h"
#include "cli/commands.h"
#include "core/hex_text.h"
#include "core/ini_file.h"
#include "core/param_entry.h"
#include "core/text.h"
#include "datafiles/data_file.h"
#include "session/family_table.h"

namespace cli {

namespace {

using datafiles::DataRecord;
using Json = nlohmann::ordered_json;

constexpr size_t kValueBuffer = 256;
// A profile holds no frames, only the label=value lines the family's import applies, read as load
// reads them: a line load refuses whatever its value is shown damaged.
std::vector<DataRecord> ProfileRecords(const IniDocument& document, const datafiles::DataFilePart& part) {
    std::vector<DataRecord> records;
    const std::vector<std::string> sections(part.profileSections.begin(), part.profileSections.end());
    for (const auto& line : ReadProfileLines(document, sections, datafiles::kProfileSectionBuffer)) {
        DataRecord record{line.section, line.label.empty() ? line.text : line.label, {}, {}, {}, {}, {}, {}};
        record.target = line.label;
        record.value = line.value;
        record.damage = line.problem;
        records.push_back(std::move(record));
    }
    return records;
}

}  // namespace

int InspectCommand(const std::filesystem::path& file, bool json, CommandIo& io) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        return Fail(io, kExitRefused, "cannot read " + text::PathToUtf8(file) + ": check the file name");
    if (const std::string tooLarge = datafiles::TooLargeProblem(file); !tooLarge.empty())
        return Fail(io, kExitRefused, text::PathToUtf8(file) + ": " + tooLarge);
    const IniDocument document = LoadIniFile(file);
    const auto header = [&document](const char* section, const char* key) {
        return document.GetString(section, key, "", kValueBuffer);
    };
    const std::string controllerType = header("File", "ControllerType");
    const std::string fileType = header("File", "Type");
    const auto family = session::FamilyFromName(controllerType);
    const bool backup = text::EqualsNoCase(fileType, "Backup");
    const bool profile = text::EqualsNoCase(fileType, "Profile");

    std::vector<DataRecord> records;
    if (family) {
        const datafiles::DataFilePart& part = *session::Ops(*family).dataFile;
        if (backup) records = part.backupRecords(document, true);
        if (profile) records = ProfileRecords(document, part);
    }
    size_t damaged = 0;
    for (const auto& record : records)
        if (!record.damage.empty()) ++damaged;
    const std::string familyName = family ? session::FamilyName(*family) : controllerType;

    const std::pair<const char*, std::string> fields[] = {
        {"Version", header("Vantrel", "Version")},
        {"Contact", header("Vantrel", "Contact")},
        {"Customer", header("Customer", "Name")},
        {"ControllerType", controllerType},
        {"Name", header("File", "Name")},
        {"Date", header("File", "Date")},
        {"Type", fileType},
    };
    if (json) {
        Json head = Json::object();
        for (const auto& [name, value] : fields) head[name] = value;
        Json list = Json::array();
        for (const auto& record : records) {
            Json item = {
                {"section", record.section}, {"key", record.key}, {"frame", ToSpacedHex(record.frame)}};
            item["family"] = familyName;
            item["target"] = record.target;
            if (record.settings.empty()) {
                item["value"] = record.value;
            } else {
                Json settings = Json::array();
                for (const auto& setting : record.settings)
                    settings.push_back({{"label", setting.label}, {"value", setting.value}});
                item["values"] = std::move(settings);
            }
            item["damaged"] = record.damage.empty() ? Json(nullptr) : Json(record.damage);
            list.push_back(std::move(item));
        }
        Out(io) << Json{{"file", text::PathToUtf8(file)},
                        {"header", std::move(head)},
                        {"records", std::move(list)}}
                       .dump(2, ' ', false, Json::error_handler_t::replace)
                << '\n';
    } else {
        Out(io) << "File: " << text::PathToUtf8(file) << '\n';
        for (const auto& [name, value] : fields) Out(io) << name << ": " << value << '\n';
        for (const auto& record : records) {
            Out(io) << "\n[" << record.section << "] " << record.key << ": ";
            if (!record.frame.empty()) Out(io) << ToSpacedHex(record.frame);
            if (!record.damage.empty()) {
                Out(io) << (record.frame.empty() ? "" : "\n  ") << "damaged: " << record.damage << '\n';
                continue;
            }
            Out(io) << (record.frame.empty() ? "" : "\n  ") << familyName << ' ' << record.target;
            if (record.settings.empty()) {
                Out(io) << " = " << record.value << '\n';
                continue;
            }
            Out(io) << '\n';
            for (const auto& setting : record.settings)
                Out(io) << "    " << setting.label << " = " << setting.value << '\n';
        }
    }
    if (!family)
        return Fail(io, kExitRefused,
                    "unknown controller type '" + controllerType + "' in " + text::PathToUtf8(file) +
                        ": this is not a data file of this program");
    if (!backup && !profile)
        return Fail(io, kExitRefused,
                    "unknown file type '" + fileType + "' in " + text::PathToUtf8(file) +
                        ": expected a backup or a profile");
    if (profile) {
        if (const auto refused = datafiles::ProfileShapeRefusals(document, *session::Ops(*family).dataFile);
            !refused.empty())
            return Fail(io, kExitRefused,
                        "the profile " + text::PathToUtf8(file) + " cannot be loaded: " + refused.front());
    }
    if (damaged > 0)
        return Fail(io, kExitRefused,
                    std::to_string(damaged) + " damaged record(s) in " + text::PathToUtf8(file) +
                        ": the file cannot be loaded; use another backup");
    if (backup) {
        if (const std::string why = datafiles::IntegrityProblem(document, records); !why.empty())
            return Fail(io, kExitRefused,
                        text::PathToUtf8(file) + " is damaged: " + why +
                            ": the file cannot be loaded; use another backup");
    }
    return kExitSuccess;
}

}  // namespace cli
