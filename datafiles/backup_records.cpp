#include "datafiles/backup_records.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "core/hex_text.h"
#include "core/payload_cipher.h"
#include "core/text.h"
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

namespace datafiles {

namespace {

constexpr size_t kValueBuffer = 256;
constexpr size_t kRecordBuffer = 2048;

std::string FromLowBytes(std::string_view narrow) {
    return text::WideToUtf8(text::WidenByChar(narrow));
}

// The label=value lines a group describes itself with.
std::vector<RecordSetting> SettingsOf(const std::string& description) {
    std::vector<RecordSetting> settings;
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

// The numbered records of the [Data] section, deciphered, each checked by the family's check.
std::vector<DataRecord> DataSectionRecords(const IniDocument& document,
                                           const std::function<void(DataRecord&)>& check) {
    std::vector<DataRecord> records;
    for (const auto& key : document.GetKeys("Data", kRecordBuffer)) {
        DataRecord record{"Data", key, document.GetString("Data", key, "", kRecordBuffer), {}, {}, {}, {}, {}};
        if (const auto frame = Decipher(record.text, record.damage)) {
            record.frame = *frame;
            check(record);
        }
        records.push_back(std::move(record));
    }
    return records;
}

void CheckFjRecord(DataRecord& record, bool describe) {
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
    if (!describe) return;
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

void CheckTercelRecord(DataRecord& record, const std::map<uint16_t, std::string>* labels) {
    const auto& f = record.frame;
    if (f.size() != Tercel::kWriteFrameLength || f[0] != Tercel::kSom || f[1] != Tercel::MCB_CMD_WRITEMEMEX) {
        record.damage = "it is not a Tercel register write";
        return;
    }
    if (Tercel::ComputeChecksum(f) != f.back()) {
        record.damage = "its checksum does not match";
        return;
    }
    if (!labels) return;
    const uint16_t address = LowFirst(f, 4);
    const auto label = labels->find(address);
    record.target = std::to_string(address) + (label == labels->end() ? "" : " " + label->second);
    record.value = std::to_string(LowFirst(f, 8));
}

struct GroupSection {
    const char* name;
    // The group's frame check on a fresh object: nothing the program holds is touched.
    std::function<bool(const Frame&)> check;
    // Parses into the process-wide message, whose entries describe it.
    std::function<const IMessage*(const Frame&)> parse;
};

template <typename T>
GroupSection Group(const char* name, std::shared_ptr<T> EV48400C::MessageStore::*slot) {
    return {name, [](const Frame& frame) { return T().Parse(frame); },
            [slot](const Frame& frame) -> const IMessage* {
                auto& stored = EV48400C::Messages().*slot;
                return EV48400C::ParseInto(stored, frame) ? stored.get() : nullptr;
            }};
}

}  // namespace

std::vector<DataRecord> Ev48400cRecords(const IniDocument& document, bool describe) {
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
    if (describe) EV48400C::ResetMessages();
    std::vector<DataRecord> records;
    for (const auto& group : groups) {
        const std::string cipherText = document.GetString(group.name, "data", "", kValueBuffer);
        // A group never read from the controller is saved without a frame.
        if (cipherText.empty()) continue;
        DataRecord record{group.name, "data", cipherText, {}, {}, {}, {}, {}};
        if (const auto frame = Decipher(cipherText, record.damage)) {
            record.frame = *frame;
            if (!group.check(record.frame)) {
                record.damage = "its frame does not check out";
            } else if (describe) {
                if (const IMessage* message = group.parse(record.frame)) {
                    record.target = std::string(group.name) + " (" + message->GetName() + ")";
                    record.settings = SettingsOf(message->Describe());
                }
            }
        }
        records.push_back(std::move(record));
    }
    if (describe) EV48400C::ResetMessages();
    return records;
}

std::vector<DataRecord> FjRecords(const IniDocument& document, bool describe) {
    return DataSectionRecords(document, [describe](DataRecord& record) { CheckFjRecord(record, describe); });
}

std::vector<DataRecord> TercelRecords(const IniDocument& document, bool describe) {
    const auto labels = describe ? TercelRegisterLabels() : std::map<uint16_t, std::string>();
    return DataSectionRecords(document, [&](DataRecord& record) {
        CheckTercelRecord(record, describe ? &labels : nullptr);
    });
}

uint32_t RecordsCrc32(const std::vector<DataRecord>& records) {
    uint32_t crc = 0xFFFFFFFFu;
    const auto add = [&crc](std::string_view bytes) {
        for (const char c : bytes) {
            crc ^= static_cast<uint8_t>(c);
            for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    };
    for (const auto& record : records) add("[" + record.section + "]" + record.key + "=" + record.text + "\n");
    return ~crc;
}

std::string Crc32Text(uint32_t crc) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i, crc >>= 4) text[static_cast<size_t>(i)] = kDigits[crc & 0xF];
    return text;
}

std::string IntegrityProblem(const IniDocument& document, const std::vector<DataRecord>& records) {
    const std::string count = document.GetString("File", "Records", "", kValueBuffer);
    if (!count.empty() && count != std::to_string(records.size()))
        return "it holds " + std::to_string(records.size()) + " records where it was written with " + count;
    const std::string crc = document.GetString("File", "DataCrc32", "", kValueBuffer);
    if (!crc.empty() && !text::EqualsNoCase(crc, Crc32Text(RecordsCrc32(records))))
        return "its records were changed after it was written";
    return {};
}

const DataRecord* FirstDamaged(const std::vector<DataRecord>& records) {
    for (const auto& record : records)
        if (!record.damage.empty()) return &record;
    return nullptr;
}

}  // namespace datafiles
