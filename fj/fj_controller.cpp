#include "fj/fj_controller.h"

#include <cstdio>
#include <iostream>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "core/hex_text.h"
#include "core/host.h"
#include "core/ini_file.h"
#include "core/log.h"
#include "core/param_registry.h"
#include "core/payload_cipher.h"
#include "core/prompter.h"
#include "core/text.h"
#include "fj/packet_codec.h"
#include "fj/parameter_table.h"
#include "fj/value_table.h"
#include "serial/serial_port.h"

namespace FJ {

namespace {

constexpr int kIdentifyAttempts = 3;
constexpr uint32_t kIdentifyRetryPauseMs = 100;
constexpr uint32_t kParameterWritePauseMs = 100;
constexpr Address kSoftwareType = {0x13, 0x3D};

// An acknowledge fills the whole answer; an error packet is shorter, and its CID at index 3 ends the
// read without waiting for bytes that will not come.
constexpr size_t kAnswerMaxLength = kRequestLength;
constexpr size_t kAnswerMinLength = 8;
constexpr uint8_t kAnswerCompletionByte = FJ_CID_READ_ERROR;
constexpr uint32_t kAnswerTimeoutMs = 500;

constexpr uint8_t kActiveFaultGroup = 0x0D;
constexpr uint8_t kActiveFaultFirst = 0x03;
constexpr uint8_t kActiveFaultLast = 0x1D;
constexpr uint8_t kHistoricalFaultGroup = 0x0E;
constexpr uint8_t kHistoricalFaultFirst = 0x0C;
constexpr uint8_t kHistoricalFaultLast = 0x34;

constexpr size_t kDataSectionBuffer = 2048;
constexpr const char* kErrorCodeFileName = "fj-errors.csv";

std::string GroupIndex(uint8_t group, uint8_t index) {
    return std::to_string(group) + ":" + std::to_string(index);
}

// "<what> [0x0D, 0x03]"
std::string WithAddress(const std::string& what, uint8_t group, uint8_t index) {
    char address[16];
    std::snprintf(address, sizeof address, " [0x%02X, 0x%02X]", unsigned{group}, unsigned{index});
    return what + address;
}

// One request and its answer; an empty answer when the request did not go out or nothing came back.
std::vector<uint8_t> Exchange(const std::vector<uint8_t>& request, bool& written) {
    Log(FormatFrameDump("TX", request));
    auto& port = SerialPort::Instance();
    written = port.Write(request.data(), request.size());
    if (!written) return {};
    return port.Read(kAnswerMaxLength, kAnswerMinLength, kAnswerCompletionByte, kAnswerTimeoutMs);
}

// One read exchange. True when the controller acknowledged the read of this very address. Whatever
// address an accepted acknowledge names, its value is the controller's and is marked as read.
bool ReadOnce(uint8_t group, uint8_t index) {
    bool written = false;
    const auto answer = Exchange(BuildReadRequest(group, index), written);
    if (!written) SetStatus("Error writing to FJ Controller: " + GroupIndex(group, index));
    if (answer.empty()) {
        Log("Error reading FJ Controller: " + GroupIndex(group, index));
        return false;
    }
    const auto acknowledge = ParseAcknowledge(answer);
    if (!acknowledge) return false;
    FjValueTable::Instance().MarkRead(acknowledge->address.group, acknowledge->address.index);
    if (acknowledge->cid == FJ_CID_READ_ACK && acknowledge->address.group == group &&
        acknowledge->address.index == index)
        return true;
    Log("FJ: the read of " + FormatNarrowId(group, index) + " was answered for " +
        FormatNarrowId(acknowledge->address.group, acknowledge->address.index));
    return false;
}

// Sets the status that names the read a failed Identify stopped at: "FJ: could not read firmware date
// (01:00)".
void ReportFailedRead(const std::string& what, uint8_t group, uint8_t index) {
    Log(WithAddress("Failed to read " + what, group, index));
    SetStatus("FJ: could not read " + what + " (" + FormatNarrowId(group, index) + ")");
}

bool ReadFaultRange(FJController& driver, const char* which, uint8_t group, uint8_t first, uint8_t last) {
    for (unsigned index = first; index <= last; ++index) {
        if (driver.ReadParameter(group, static_cast<uint8_t>(index))) continue;
        ReportFailedRead(std::string(which) + " fault record", group, static_cast<uint8_t>(index));
        return false;
    }
    return true;
}

}  // namespace

void FJController::BuildParamEntries() {
    BuildEntryLists();
}

bool FJController::Identify() {
    for (int attempt = 1; attempt <= kIdentifyAttempts; ++attempt) {
        // Identify tries three times itself: the contact read is one exchange per attempt.
        if (ReadOnce(kSoftwareType.group, kSoftwareType.index)) {
            BuildParamEntries();
            return ReadAll();
        }
        if (attempt < kIdentifyAttempts) Pause(kIdentifyRetryPauseMs);
    }
    std::cerr << "Identify() failed after " << kIdentifyAttempts << " attempts." << std::endl;
    return false;
}

bool FJController::ReadParameter(uint8_t group, uint8_t index) {
    if (ReadOnce(group, index)) return true;
    // A read changes nothing on the controller, so it is tried once more before the value counts as
    // unread; what is left of the failed answer goes first.
    SerialPort::Instance().DiscardPending();
    return ReadOnce(group, index);
}

bool FJController::ReadList(const EntryList& entries) {
    for (const auto& entry : entries) {
        // Only a GG:II key names an address; the firmware date's empty key is the one that does not.
        const auto address = TryParseId(entry.key);
        if (!address) {
            Log(L"Invalid ID format: " + entry.key);
            continue;
        }
        if (!ReadParameter(address->group, address->index)) Log(L"Error Reading FJ Controller " + entry.key);
    }
    return true;
}

bool FJController::ReadAll() {
    for (const uint8_t index : {kFirmwareYearIndex, kFirmwareMonthIndex, kFirmwareDayIndex}) {
        if (ReadParameter(kFirmwareDateGroup, index)) continue;
        ReportFailedRead("firmware date", kFirmwareDateGroup, index);
        return false;
    }

    struct ListStep {
        const char* status;
        std::string_view list;
        const char* failure;
    };
    const ListStep tuning[] = {
        {"Reading FJ Speed Tuning Parameters", kSpeedTuningList, "Failed to read speed tuning parameters"},
        {"Reading FJ Accellerator Tuning Parameters", kAcceleratorTuningList,
         "Failed to read accelerator tuning parameters"},
        {"Reading FJ Torque Tuning Parameters", kTorqueTuningList, "Failed to read torque tuning parameters"},
        {"Reading FJ Hill Tuning Parameters", kHillTuningList, "Failed to read hill tuning parameters"},
    };
    const ListStep rest[] = {
        {"Reading FJ Controller RT Parameters", kControllerRealTimeList, "Failed to read controller stats"},
        {"Reading FJ Battery RT Parameters", kBatteryRealTimeList, "Failed to read battery stats"},
        {"Reading FJ Controller Info Parameters", kControllerInfoList, "Failed to read controller info"},
        {"Reading Controller Kitchen Sink Parameters", kKitchenSinkList,
         "Failed to read kitchen sink parameters"},
    };
    auto readLists = [this](std::span<const ListStep> steps) {
        for (const auto& step : steps) {
            SetStatus(step.status);
            if (ReadList(List(step.list))) continue;
            SetStatus(step.failure);
            return false;
        }
        return true;
    };

    SetStatus("Reading FJ Tuning Parameters");
    if (!readLists(tuning)) return false;

    SetStatus("Reading FJ Controller Faults");
    if (!ReadFaultRange(*this, "active", kActiveFaultGroup, kActiveFaultFirst, kActiveFaultLast) ||
        !ReadFaultRange(*this, "historical", kHistoricalFaultGroup, kHistoricalFaultFirst,
                        kHistoricalFaultLast))
        return false;

    if (!readLists(rest)) return false;
    SetStatus("FJ Controller");
    return true;
}

WriteOutcome FJController::WriteChangedParameters() {
    SetStatus("Writing FJ Parameters");
    auto& table = FjValueTable::Instance();
    WriteOutcome outcome;
    // A copy: an acknowledge that differs from what was sent marks its key again while we walk.
    const DirtyKeySet keys = DirtyKeys();
    for (const auto& key : keys) {
        const auto address = TryParseId(key);
        if (!address) {
            Log(L"Not an FJ parameter, not written: " + key);
            continue;
        }
        const auto request = BuildWriteRequestFromTable(key);
        if (request.empty()) continue;
        const uint16_t sent = table.Get(address->group, address->index);
        bool written = false;
        const auto answer = Exchange(request, written);
        // The acknowledge carries the value the controller stored: that value is the controller's
        // whatever it is, but only the echo of the value sent confirms the write.
        const auto acknowledge = answer.empty() ? std::nullopt : ParseAcknowledge(answer);
        if (acknowledge) table.MarkRead(acknowledge->address.group, acknowledge->address.index);
        if (acknowledge && acknowledge->cid == FJ_CID_WRITE_ACK &&
            acknowledge->address.group == address->group && acknowledge->address.index == address->index &&
            acknowledge->value == sent) {
            DirtyKeys().erase(key);
            outcome.confirmed.push_back(key);
        } else {
            Log(L"FJ: the write of " + key + L" was not confirmed");
        }
        Pause(kParameterWritePauseMs);
    }
    // What is still changed was not confirmed: keys that name no address, writes without an echo of
    // their value, and addresses whose acknowledge carried another value.
    outcome.notConfirmed.assign(DirtyKeys().begin(), DirtyKeys().end());
    SetStatus("FJ Controller");
    return outcome;
}

bool FJController::ImportDataFile(const std::string& path) {
    const std::filesystem::path file = text::PathFromUtf8(path);
    const IniDocument document = LoadIniFile(file);
    const auto keys = document.GetKeys("data", kDataSectionBuffer);
    if (keys.empty()) {
        Log("No FJ records in " + path);
        return false;
    }
    // Every record is deciphered and found to be a write request before any is applied, so a damaged
    // file changes nothing. A read acknowledge would put its value in the table without marking it.
    std::vector<std::vector<uint8_t>> records;
    for (const auto& key : keys) {
        const std::string hex = DecryptPayload(document.GetString("data", key, "", kDataSectionBuffer));
        auto bytes = hex.empty() ? std::nullopt : TryFromHex(hex);
        if (!bytes) {
            Log("FJ record " + key + " does not decipher; nothing loaded from " + path);
            return false;
        }
        const auto& f = *bytes;
        const bool write =
            f.size() == kRequestLength && f[0] == kSoiFirst && f[1] == kSoiSecond &&
            f[3] == FJ_CID_WRITE_REQUEST && f[4] == kValueDataLength &&
            ComputeCrc16(f.data() + 2, f.size() - 4) == (f[f.size() - 2] << 8 | f[f.size() - 1]);
        if (!write) {
            Log("FJ record " + key + " is not a write request; nothing loaded from " + path);
            return false;
        }
        records.push_back(std::move(*bytes));
    }
    // The records are write requests; they parse like write acknowledges, so a value that differs from
    // the table is stored and marked for the next write.
    for (const auto& record : records) ParseResponse(record);
    return true;
}

std::filesystem::path FJController::ErrorCodeFile() const {
    return host::ExecutableDirectory().value_or(std::filesystem::path()) / GetName() / kErrorCodeFileName;
}

ErrorCodeRecord FJController::LookupErrorCode(int32_t code) const {
    return LookupErrorCodeIn(ErrorCodeFile(), code);
}

}  // namespace FJ
