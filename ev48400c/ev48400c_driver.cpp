#include "ev48400c/ev48400c_driver.h"

#include <iostream>
#include <set>

#include "core/hex_text.h"
#include "core/log.h"
#include "core/param_registry.h"
#include "core/prompter.h"
#include "core/text.h"
#include "ev48400c/entry_lists.h"
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
    auto& port = SerialPort::Instance();
    // Bytes of an earlier answer that came late would otherwise open this one.
    port.DiscardPending();
    Log(FormatFrameDump("TX", request));
    if (!port.Write(request.data(), request.size())) return {};
    return port.Read(kAnswerMaxLength, kAnswerMinLength, kNoCompletionByte, kAnswerTimeoutMs);
}

// True when the frame checked out as the message asked for and its values were taken.
bool Take(uint8_t identifier, const Frame& frame) {
    auto& m = Messages();
    switch (identifier) {
        case kCycleResponseId:
            return ParseInto(m.liveData, frame);
        case kFirmwareVersionId:
            try {
                return ParseInto(m.firmwareVersion, frame);
            } catch (const std::exception& e) {
                Log(std::string("FirmwareVersion::Parse exception: ") + e.what());
                return false;
            }
        case kMotorParametersId:
            return ParseInto(m.motorParameters, frame);
        case kStandardGearModeId:
            return ParseInto(m.standardGearMode, frame);
        case kMileageId:
            return ParseInto(m.mileage, frame);
        case kAcceleratorPedalId:
            return ParseInto(m.acceleratorPedal, frame);
        case kLowSideDriveId:
            return ParseInto(m.lowSideDrive, frame);
        case kTemperatureRegulationId:
            return ParseInto(m.temperatureRegulation, frame);
        case kHillControlId:
            return ParseInto(m.hillControl, frame);
        case kFaultListId:
            return ParseInto(m.faultList, frame);
        default:
            return true;  // nothing of it is kept
    }
}

// One request for the message. True when its answer was taken; answered tells whether anything came.
bool RequestOnce(uint8_t identifier, bool& answered) {
    auto request =
        std::make_shared<CycleRequestPC2MCU>(RequestCommand::RequestSpecifiedMessageData, identifier);
    Messages().request = request;
    const Frame answer = Exchange(request->Serialize());
    if (answer.empty()) return false;
    answered = true;
    return Take(identifier, answer);
}

// A parameter group the driver writes: the message, and the owner its entries carry.
struct WritableGroup {
    const IMessage* message;
    const void* owner;
};

template <typename T>
WritableGroup Writable(const std::shared_ptr<T>& group) {
    return {group.get(), static_cast<const void*>(group.get())};
}

// The changed keys among the entries of the group.
std::set<std::wstring> ChangedKeysOf(const WritableGroup& group) {
    std::set<std::wstring> keys;
    if (!group.message) return keys;
    const auto& dirty = DirtyKeys();
    for (const auto name : kAllLists)
        for (const auto& entry : List(name))
            if (entry.owner == group.owner && dirty.count(entry.key)) keys.insert(entry.key);
    return keys;
}

std::wstring JoinKeys(const std::set<std::wstring>& keys) {
    std::wstring joined;
    for (const auto& key : keys) joined += (joined.empty() ? L"" : L", ") + key;
    return joined;
}

}  // namespace

bool EV48400C::ReadMessage(uint8_t identifier) {
    bool answered = false;
    if (RequestOnce(identifier, answered)) return true;
    // A request changes nothing on the controller: once more before the message counts as unread.
    RequestOnce(identifier, answered);
    return answered;
}

bool EV48400C::ReadAll() {
    bool all = true;
    for (uint8_t identifier : kReadSequence) all = ReadMessage(identifier) && all;
    return all;
}

bool EV48400C::Identify() {
    for (int attempt = 1; attempt <= kIdentifyAttempts; ++attempt) {
        // Identify tries three times itself: the contact request is one exchange per attempt.
        bool answered = false;
        RequestOnce(kCycleResponseId, answered);
        if (answered) {
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
    if (!response->Parse(answer)) return false;
    Messages().commandResponse = response;
    Log(response->Describe());
    if (response->RequestId() != group->GetId() ||
        response->ResponseCode() != static_cast<uint8_t>(ResponseCode::Normal)) {
        Log("EV48-400-C: " + MessageName(group->GetId()) + " was not taken by the controller");
        return false;
    }
    return true;
}

WriteOutcome EV48400C::WriteAll() {
    auto& m = Messages();
    const WritableGroup groups[] = {Writable(m.motorParameters),  Writable(m.standardGearMode),
                                    Writable(m.acceleratorPedal), Writable(m.hillControl),
                                    Writable(m.lowSideDrive),     Writable(m.temperatureRegulation),
                                    Writable(m.mileage)};
    WriteOutcome outcome;
    // Groups that keep changes the controller did not take are not read back: their entries hold the
    // changes for the next write.
    std::set<uint8_t> keepPending;
    for (const auto& group : groups) {
        const auto keys = ChangedKeysOf(group);
        if (WriteGroup(group.message)) {
            for (const auto& key : keys) DirtyKeys().erase(key);
            outcome.confirmed.insert(outcome.confirmed.end(), keys.begin(), keys.end());
        } else if (group.message && !keys.empty()) {
            Log(L"EV48-400-C: changes not confirmed: " + JoinKeys(keys));
            keepPending.insert(group.message->GetId());
        }
        Pause(kGroupWritePauseMs);
    }
    // Keys of groups never read, or of no group written, stay changed as well.
    outcome.notConfirmed.assign(DirtyKeys().begin(), DirtyKeys().end());
    for (uint8_t identifier : kReadSequence)
        if (!keepPending.count(identifier)) ReadMessage(identifier);
    return outcome;
}

bool EV48400C::OnParamEdited(const std::wstring& key) {
    return ApplyCrossGroupLimit(key);
}

}  // namespace EV48400C
