// inspect: what a data file holds, read without a controller. Each record is deciphered and decoded on
// its own, so one damaged record is named while the others are still shown.
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <system_error>

#include "cli/cli_app.h"
#include "cli/commands.h"
#include "cli/connection.h"
#include "core/hex_text.h"
#include "core/ini_file.h"
#include "core/param_registry.h"
#include "core/payload_cipher.h"
#include "core/text.h"
#include "ev48400c/frame_codec.h"
#include "ev48400c/message_store.h"
#include "fj/packet_codec.h"
#include "tercel/command_codec.h"
#include "tercel/config.h"
#include "tercel/drive_info.h"
#include "tercel/entry_lists.h"
#include "tercel/family_state.h"
#include "tercel/motor.h"
#include "tercel/register_entries.h"
#include "tercel/speed_control.h"
#include "tercel/vehicle.h"

namespace cli {

namespace {

using datafiles::Family;
using Json = nlohmann::ordered_json;

constexpr size_t kValueBuffer = 256;
constexpr size_t kRecordBuffer = 2048;
constexpr size_t kSectionBuffer = 4096;

struct Setting {
    std::string label;
    std::string value;
};

struct Record {
    std::string section;
    std::string key;
    std::vector<uint8_t> frame;
    std::string target;  // an address or a group
    std::string value;
    std::vector<Setting> settings;  // a group sets several values
    std::string damage;             // why the record cannot be used; empty when it can
};

std::string FromLowBytes(std::string_view narrow) {
    return text::WideToUtf8(text::WidenByChar(narrow));
}

// The label=value lines a group describes itself with.
std::vector<Setting> SettingsOf(const std::string& description) {
    std::vector<Setting> settings;
    size_t start = 0;
    while (start < description.size()) {
        size_t end = description.find('\n', start);
        if (end == std::string::npos) end = description.size();
        const std::string line = description.substr(start, end - start);
        const size_t equals = line.find('=');
        if (equals != std::string::npos)
            settings.push_back({FromLowBytes(line.substr(0, equals)), FromLowBytes(line.substr(equals + 1))});
        start = end + 1;
    }
    return settings;
}

// The frame of a record, or why there is none.
std::optional<std::vector<uint8_t>> Decipher(const std::string& cipherText, std::string& damage) {
    const std::string hex = DecryptPayload(cipherText);
    if (hex.empty()) {
        damage = "it does not decipher";
        return std::nullopt;
    }
    auto bytes = TryFromHex(hex);
    if (!bytes) {
        damage = "its text is not hex";
        return std::nullopt;
    }
    return bytes;
}

uint16_t LowFirst(const std::vector<uint8_t>& frame, size_t position) {
    return static_cast<uint16_t>(frame[position] | frame[position + 1] << 8);
}

void DecodeFjRecord(Record& record) {
    const auto& f = record.frame;
    if (f.size() != FJ::kRequestLength || f[0] != FJ::kSoiFirst || f[1] != FJ::kSoiSecond ||
        f[3] != FJ::FJ_CID_WRITE_REQUEST || f[4] != FJ::kValueDataLength) {
        record.damage = "it is not an FJ write request";
        return;
    }
    const uint16_t crc = FJ::ComputeCrc16(f.data() + 2, f.size() - 4);
    if (f[f.size() - 2] != (crc >> 8) || f[f.size() - 1] != (crc & 0xFF)) {
        record.damage = "its CRC does not match";
        return;
    }
    record.target = FJ::FormatNarrowId(f[5], f[6]) + " " + text::WideToUtf8(FJ::DescribeAddress(f[5], f[6]));
    record.value = std::to_string(LowFirst(f, 7));
}

// Register labels come from the family's entries, which are built over its block objects: they are
// made here without a controller and forgotten again afterwards.
std::map<uint16_t, std::string> TercelRegisterLabels() {
    using namespace Tercel;
    ResetFamily();
    auto& objects = Objects();
    objects.config = std::make_shared<Config>();
    objects.driveInfo = std::make_shared<DriveInfo>();
    objects.motor = std::make_shared<Motor>();
    objects.speedControl = std::make_shared<SpeedControl>();
    objects.vehicle = std::make_shared<Vehicle>();
    objects.config->BuildParamEntries();
    objects.driveInfo->BuildParamEntries();
    objects.motor->BuildParamEntries();
    objects.speedControl->BuildParamEntries();
    objects.vehicle->BuildParamEntries();
    std::map<uint16_t, std::string> labels;
    for (const auto name : {kConfigList, kDriveInfoList, kMotorList, kSpeedLimitList, kMotorSpeedList,
                            kCurrentLimitList, kAccelerationMode0List, kAccelerationMode1List, kVehicleList})
        for (const auto& entry : List(name)) {
            uint16_t address = 0;
            if (ParseRegisterKey(entry.key, address)) labels.emplace(address, text::WideToUtf8(entry.label));
        }
    ResetFamily();
    return labels;
}

void DecodeTercelRecord(Record& record, const std::map<uint16_t, std::string>& labels) {
    const auto& f = record.frame;
    if (f.size() != Tercel::kWriteFrameLength || f[0] != Tercel::kSom || f[1] != Tercel::MCB_CMD_WRITEMEMEX) {
        record.damage = "it is not a Tercel register write";
        return;
    }
    if (Tercel::ComputeChecksum(f) != f.back()) {
        record.damage = "its checksum does not match";
        return;
    }
    const uint16_t address = LowFirst(f, 4);
    const auto label = labels.find(address);
    record.target = std::to_string(address) + (label == labels.end() ? "" : " " + label->second);
    record.value = std::to_string(LowFirst(f, 8));
}

std::vector<Record> DataRecords(const IniDocument& document, Family family) {
    const auto labels = family == Family::Tercel ? TercelRegisterLabels() : std::map<uint16_t, std::string>();
    std::vector<Record> records;
    for (const auto& key : document.GetKeys("Data", kRecordBuffer)) {
        Record record{"Data", key, {}, {}, {}, {}, {}};
        const auto frame = Decipher(document.GetString("Data", key, "", kRecordBuffer), record.damage);
        if (frame) {
            record.frame = *frame;
            if (family == Family::FJ)
                DecodeFjRecord(record);
            else
                DecodeTercelRecord(record, labels);
        }
        records.push_back(std::move(record));
    }
    return records;
}

struct GroupSection {
    const char* name;
    std::function<const IMessage*(const Frame&)> parse;
};

template <typename T>
GroupSection Group(const char* name, std::shared_ptr<T> EV48400C::MessageStore::*slot) {
    return {name, [slot](const Frame& frame) -> const IMessage* {
                auto& stored = EV48400C::Messages().*slot;
                return EV48400C::ParseInto(stored, frame) ? stored.get() : nullptr;
            }};
}

// A group's values are described through the family's entry lists, which point at the process-wide
// messages: the frames are parsed there, and the store is emptied again afterwards, since no
// controller stands behind these values.
std::vector<Record> Ev48400cRecords(const IniDocument& document) {
    using EV48400C::MessageStore;
    const GroupSection groups[] = {
        Group("Motor Parameters", &MessageStore::motorParameters),
        Group("Standard Gear Mode", &MessageStore::standardGearMode),
        Group("Accelerator", &MessageStore::acceleratorPedal),
        Group("Low Side Driver", &MessageStore::lowSideDrive),
        Group("Slope Control", &MessageStore::hillControl),
        Group("Temperature Regulation", &MessageStore::temperatureRegulation),
        Group("Mileage", &MessageStore::mileage),
    };
    EV48400C::ResetMessages();
    std::vector<Record> records;
    for (const auto& group : groups) {
        const std::string cipherText = document.GetString(group.name, "data", "", kValueBuffer);
        // A group never read from the controller is saved without a frame.
        if (cipherText.empty()) continue;
        Record record{group.name, "data", {}, {}, {}, {}, {}};
        const auto frame = Decipher(cipherText, record.damage);
        if (frame) {
            record.frame = *frame;
            if (const IMessage* message = group.parse(record.frame)) {
                record.target = std::string(group.name) + " (" + message->GetName() + ")";
                record.settings = SettingsOf(message->Describe());
            } else {
                record.damage = "its frame does not check out";
            }
        }
        records.push_back(std::move(record));
    }
    EV48400C::ResetMessages();
    return records;
}

// A profile holds no frames, only the label=value lines the family's import applies.
std::vector<Record> ProfileRecords(const IniDocument& document, Family family) {
    std::vector<const char*> sections = {"Tuning", "Sink"};
    if (family == Family::EV48400C)
        sections = {"Motor Speed Parameters", "Motor Torque Parameters", "Standard Gear Mode", "Accelerator",
                    "Slope Control",          "Temperature Regulation"};
    std::vector<Record> records;
    for (const char* section : sections)
        for (const auto& line : document.GetSectionLines(section, kSectionBuffer)) {
            const size_t equals = line.find('=');
            if (equals == std::string::npos) continue;
            Record record{section, line.substr(0, equals), {}, {}, {}, {}, {}};
            record.target = line.substr(0, equals);
            record.value = line.substr(equals + 1);
            records.push_back(std::move(record));
        }
    return records;
}

}  // namespace

int InspectCommand(const std::filesystem::path& file, bool json, CommandIo& io) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        return Fail(io, kExitRefused, "cannot read " + text::PathToUtf8(file) + ": check the file name");
    const IniDocument document = LoadIniFile(file);
    const auto header = [&document](const char* section, const char* key) {
        return document.GetString(section, key, "", kValueBuffer);
    };
    const std::string controllerType = header("File", "ControllerType");
    const std::string fileType = header("File", "Type");
    const auto family = FamilyFromName(controllerType);
    const bool backup = text::EqualsNoCase(fileType, "Backup");
    const bool profile = text::EqualsNoCase(fileType, "Profile");

    std::vector<Record> records;
    if (family && backup)
        records = *family == Family::EV48400C ? Ev48400cRecords(document) : DataRecords(document, *family);
    else if (family && profile)
        records = ProfileRecords(document, *family);
    size_t damaged = 0;
    for (const auto& record : records)
        if (!record.damage.empty()) ++damaged;
    const std::string familyName = family ? datafiles::FamilyName(*family) : controllerType;

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
    if (damaged > 0)
        return Fail(io, kExitRefused,
                    std::to_string(damaged) + " damaged record(s) in " + text::PathToUtf8(file) +
                        ": the file cannot be loaded; use another backup");
    return kExitSuccess;
}

}  // namespace cli
