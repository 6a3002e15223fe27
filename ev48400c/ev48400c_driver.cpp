#include "ev48400c/ev48400c_driver.h"

#include <iostream>

#include "core/hex_text.h"
#include "core/log.h"
#include "core/param_registry.h"
#include "core/prompter.h"
#include "ev48400c/family_files.h"
#include "ev48400c/frame_codec.h"
#include "ev48400c/message_store.h"
#include "serial/serial_port.h"

namespace EV48400C {

namespace {

constexpr int kIdentifyAttempts = 3;
constexpr uint32_t kIdentifyRetryPauseMs = 100;
constexpr uint32_t kGroupWritePauseMs = 1000;
// Every answer is one 55-byte frame; no byte marks an early end, so 0xFF (never at index 3 of a frame
// whose length byte is 48) stands for none.
constexpr size_t kAnswerMaxLength = 55;
constexpr size_t kAnswerMinLength = 10;
constexpr uint8_t kNoCompletionByte = 0xFF;
constexpr uint32_t kAnswerTimeoutMs = 1000;

constexpr uint8_t kReadSequence[] = {
    kFirmwareVersionId,  kCycleResponseId, kMotorParametersId,       kStandardGearModeId, kMileageId,
    kAcceleratorPedalId, kLowSideDriveId,  kTemperatureRegulationId, kHillControlId,      kFaultListId};

Frame Exchange(const Frame& request) {
    Log(FormatFrameDump("TX", request));
    if (!SerialPort::Instance().Write(request.data(), request.size())) return {};
    return SerialPort::Instance().Read(kAnswerMaxLength, kAnswerMinLength, kNoCompletionByte,
                                       kAnswerTimeoutMs);
}

void Take(uint8_t identifier, const Frame& frame) {
    auto& m = Messages();
    switch (identifier) {
        case kCycleResponseId:
            ParseInto(m.liveData, frame);
            break;
        case kFirmwareVersionId:
            try {
                ParseInto(m.firmwareVersion, frame);
            } catch (const std::exception& e) {
                Log(std::string("FirmwareVersion::Parse exception: ") + e.what());
            }
            break;
        case kMotorParametersId:
            ParseInto(m.motorParameters, frame);
            break;
        case kStandardGearModeId:
            ParseInto(m.standardGearMode, frame);
            break;
        case kMileageId:
            ParseInto(m.mileage, frame);
            break;
        case kAcceleratorPedalId:
            ParseInto(m.acceleratorPedal, frame);
            break;
        case kLowSideDriveId:
            ParseInto(m.lowSideDrive, frame);
            break;
        case kTemperatureRegulationId:
            ParseInto(m.temperatureRegulation, frame);
            break;
        case kHillControlId:
            ParseInto(m.hillControl, frame);
            break;
        case kFaultListId:
            ParseInto(m.faultList, frame);
            break;
        default:
            break;
    }
}

}  // namespace

bool EV48400C::ReadMessage(uint8_t identifier) {
    auto request =
        std::make_shared<CycleRequestPC2MCU>(RequestCommand::RequestSpecifiedMessageData, identifier);
    Messages().request = request;
    const Frame answer = Exchange(request->Serialize());
    if (answer.empty()) return false;
    Take(identifier, answer);
    return true;
}

bool EV48400C::ReadAll() {
    bool all = true;
    for (uint8_t identifier : kReadSequence) all = ReadMessage(identifier) && all;
    return all;
}

bool EV48400C::Identify() {
    for (int attempt = 1; attempt <= kIdentifyAttempts; ++attempt) {
        if (ReadMessage(kCycleResponseId)) {
            ReadAll();
            return true;
        }
        if (attempt < kIdentifyAttempts) Pause(kIdentifyRetryPauseMs);
    }
    std::cerr << "Identify() failed after " << kIdentifyAttempts << " attempts." << std::endl;
    return false;
}

bool EV48400C::WriteGroup(const IMessage* group) {
    if (!group) return false;
    const Frame answer = Exchange(group->Serialize());
    if (answer.empty()) return false;
    auto response = std::make_shared<CommandResponse_MCU2PC>();
    response->Parse(answer);
    Messages().commandResponse = response;
    Log(response->Describe());
    return true;
}

bool EV48400C::WriteAll() {
    auto& m = Messages();
    const IMessage* groups[] = {
        m.motorParameters.get(), m.standardGearMode.get(),      m.acceleratorPedal.get(), m.hillControl.get(),
        m.lowSideDrive.get(),    m.temperatureRegulation.get(), m.mileage.get()};
    bool all = true;
    for (const IMessage* group : groups) {
        all = WriteGroup(group) && all;
        Pause(kGroupWritePauseMs);
    }
    DirtyKeys().clear();
    ReadAll();
    return all;
}

bool EV48400C::OnParamEdited(const std::wstring& key) {
    return ApplyCrossGroupLimit(key);
}

bool EV48400C::LoadBackup(const std::filesystem::path& file) {
    return ImportBackup(file);
}

bool EV48400C::LoadProfile(const std::filesystem::path& file) {
    return ImportProfile(file);
}

}  // namespace EV48400C
