#include "tercel/tercel_controller.h"

#include <algorithm>
#include <iostream>
#include <memory>

#include "core/hex_text.h"
#include "core/log.h"
#include "core/param_registry.h"
#include "core/payload_cipher.h"
#include "core/prompter.h"
#include "tercel/command_codec.h"
#include "tercel/config.h"
#include "tercel/drive_info.h"
#include "tercel/entry_lists.h"
#include "tercel/exchange.h"
#include "tercel/family_state.h"
#include "tercel/motor.h"
#include "tercel/register_entries.h"
#include "tercel/speed_control.h"
#include "tercel/vehicle.h"

namespace Tercel {

namespace {

constexpr int kIdentifyAttempts = 3;
constexpr uint32_t kIdentifyRetryPauseMs = 100;
constexpr uint32_t kRegisterWritePauseMs = 100;
constexpr const char* kReadyStatus = "Tercel Controller";

template <typename Block>
void ReadBlock(std::shared_ptr<Block>& block, const char* status) {
    if (!block) block = std::make_shared<Block>();
    SetStatus(status);
    block->Read();
}

}  // namespace

bool TercelController::IdentifyOnce() {
    const Frame answer = Exchange(IdentityRequest(), kIdentityAnswerLength);
    if (answer.empty()) return false;
    // Only an identity goes to the frame handler here: an answer that happened to look like a write
    // frame would otherwise change a register and mark it dirty for the next write.
    if (answer.size() != kIdentityAnswerLength) {
        Log("Tercel: identity answer of " + std::to_string(answer.size()) + " bytes ignored");
        return false;
    }
    if (!HandleFrame(answer)) return false;
    auto& marks = Marks();
    marks.identityRead = true;
    marks.sealedWithCommandSum = CarriesCommandSum(answer);
    return true;
}

bool TercelController::Identify() {
    for (int attempt = 1; attempt <= kIdentifyAttempts; ++attempt) {
        if (IdentifyOnce()) {
            ReadAll();
            return true;
        }
        if (attempt < kIdentifyAttempts) Pause(kIdentifyRetryPauseMs);
    }
    std::cerr << "Identify() failed after " << kIdentifyAttempts << " attempts." << std::endl;
    return false;
}

bool TercelController::ReadAll() {
    auto& objects = Objects();
    ReadBlock(objects.config, "Reading Tercel Config");
    ReadBlock(objects.driveInfo, "Reading Tercel Drive Info");
    ReadBlock(objects.motor, "Reading Tercel Motor");
    ReadBlock(objects.speedControl, "Reading Tercel Speed Control");
    ReadBlock(objects.vehicle, "Reading Tercel Vehicle");
    SetStatus(kReadyStatus);
    return true;
}

WriteOutcome TercelController::WriteDirtyRegisters() {
    SetStatus("Writing Tercel Parameters");
    WriteOutcome outcome;
    const DirtyKeySet keys = DirtyKeys();
    for (const auto& key : keys) {
        uint16_t address = 0;
        // Keys left by another family ("13:10", "motorPeakSpeed") name no register of this one.
        if (!ParseRegisterKey(key, address)) {
            Log(L"Tercel: " + key + L" is not a register, not written");
            continue;
        }
        const Frame answer = Exchange(BuildWriteFrame(address, Registers()[address]), kWriteAnswerLength);
        // Of a controller known to seal its answers with the command sum, a write answer without it
        // was damaged on the way and confirms nothing.
        const bool confirmed =
            ValidateWriteAnswer(answer) && (!Marks().sealedWithCommandSum || CarriesCommandSum(answer));
        if (confirmed) {
            DirtyKeys().erase(key);
            outcome.confirmed.push_back(key);
        } else {
            Log(L"Tercel: the write of " + key + L" was not confirmed");
        }
        Pause(kRegisterWritePauseMs);
    }
    outcome.notConfirmed.assign(DirtyKeys().begin(), DirtyKeys().end());
    SetStatus(kReadyStatus);
    return outcome;
}

bool TercelController::OnParamEdited(const std::wstring& key) {
    if (key != std::to_wstring(kMotorMaxRpmRegister)) return false;
    const auto& shown = List(kMotorSpeedList);
    const std::wstring forwardKey = std::to_wstring(kForwardMaxRpmRegister);
    if (std::none_of(shown.begin(), shown.end(), [&](const ParamEntry& e) { return e.key == forwardKey; }))
        return true;
    auto& registers = Registers();
    const uint16_t motorMax = registers[kMotorMaxRpmRegister];
    uint16_t& forwardMax = registers[kForwardMaxRpmRegister];
    if (forwardMax > motorMax) {
        forwardMax = motorMax;
        // Sent with the next write, so the controller is never left with a forward speed above its new
        // motor maximum.
        if (DirtyKeys().insert(forwardKey).second) Log(forwardKey + L" is dirty");
    }
    return true;
}

std::vector<std::string> TercelController::ExportRecords(const std::vector<const EntryList*>& lists) const {
    std::vector<std::string> records;
    for (const EntryList* list : lists) {
        if (!list) continue;
        for (const auto& entry : *list) {
            if (entry.readOnly) continue;
            uint16_t address = 0;
            if (!ParseRegisterKey(entry.key, address)) {
                Log(L"Tercel: " + entry.key + L" is not a register, not saved");
                continue;
            }
            records.push_back(EncryptPayload(ToHex(BuildWriteFrame(address, Registers()[address]))));
        }
    }
    return records;
}

bool TercelController::ReadRegister(uint16_t address) {
    return ReadOneRegister(address, "Tercel");
}

}  // namespace Tercel
