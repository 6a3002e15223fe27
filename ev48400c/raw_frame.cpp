#include "ev48400c/raw_frame.h"

#include <exception>
#include <utility>
#include <vector>

#include "core/hex_text.h"
#include "core/imessage.h"
#include "core/log.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/frame_codec.h"
#include "ev48400c/message_store.h"
#include "serial/serial_port.h"

namespace EV48400C {

namespace {

constexpr const char* kInvalidFrame = "Invalid Frame";
constexpr const char* kInvalidChecksum = "Invalid Checksum";
constexpr const char* kInvalidMessageId = "Invalid MessageID";

// The start and end marks take four bytes; anything shorter is no frame. The checksum sits three bytes
// from the end, so below five bytes writing it would overwrite the "WI" of the header.
constexpr size_t kMinCheckedLength = 4;
constexpr size_t kMinFixableLength = 5;

constexpr size_t kAnswerMaxLength = 55;
constexpr size_t kAnswerMinLength = 10;
constexpr uint8_t kNoCompletionByte = 0xFF;
constexpr uint32_t kAnswerTimeoutMs = 1000;

constexpr std::string_view kAllLists[] = {
    kLiveDataList,    kFirmwareList,     kFaultList,     kAcceleratorList, kAccelerationList,
    kHillControlList, kLowSideDriveList, kMileageList,   kMotorSpeedList,  kMotorTorqueList,
    kMotorPowerList,  kGearSpeedList,    kSpeedLoopList, kTemperatureList,
};

// Most groups describe themselves through the entries that point at them, and those belong to the
// long-lived objects the tuning page shows; the live data also decides the model variant. A frame typed
// on the page must change neither, so both are put back exactly as they were once the description is
// taken.
class FamilyStateKept {
public:
    FamilyStateKept() : d5Model_(isD5Model) {
        for (const auto name : kAllLists) lists_.emplace_back(name, List(name));
    }
    ~FamilyStateKept() {
        for (auto& [name, list] : lists_) List(name) = std::move(list);
        isD5Model = d5Model_;
    }
    FamilyStateKept(const FamilyStateKept&) = delete;
    FamilyStateKept& operator=(const FamilyStateKept&) = delete;

private:
    bool d5Model_;
    std::vector<std::pair<std::string_view, EntryList>> lists_;
};

template <typename T>
RawFrameOutcome Describe(const Frame& frame) {
    const FamilyStateKept kept;
    try {
        T message;
        // A frame that passed the page's checks can still have the wrong length for a message; its
        // description would show zeros the controller never sent.
        if (!message.Parse(frame)) return {std::nullopt, kInvalidFrame};
        if constexpr (requires { message.BuildParamEntries(); }) {
            message.BuildParamEntries();
            return {std::nullopt, message.Describe()};
        } else {
            return {std::nullopt, message.Describe()};
        }
    } catch (const std::exception& e) {
        Log(std::string("Raw frame: ") + e.what());
        return {std::nullopt, kInvalidFrame};
    }
}

std::optional<RawFrameOutcome> CheckFrame(const Frame& frame) {
    const size_t n = frame.size();
    if (n < kMinCheckedLength || frame[0] != 'W' || frame[1] != 'I' || frame[n - 2] != 'S' ||
        frame[n - 1] != 'E')
        return RawFrameOutcome{std::nullopt, kInvalidFrame};
    if (frame[n - 3] != SumChecksum(frame, 2, n - 4)) return RawFrameOutcome{std::nullopt, kInvalidChecksum};
    return std::nullopt;
}

// Text that is not hex is refused with the decoder's own words.
std::optional<Frame> Decode(std::string_view text, RawFrameOutcome& refusal) {
    if (text.empty()) return std::nullopt;
    std::string why;
    auto frame = TryFromHex(text, &why);
    if (!frame) refusal = {std::nullopt, std::string(kInvalidFrame) + ": " + why};
    return frame;
}

std::optional<Frame> Decode(std::string_view text) {
    RawFrameOutcome ignored;
    return Decode(text, ignored);
}

}  // namespace

RawFrameOutcome ParseTxFrame(std::string_view text) {
    RawFrameOutcome refusal;
    const auto frame = Decode(text, refusal);
    if (!frame) return refusal;
    if (auto refused = CheckFrame(*frame)) return *refused;
    switch ((*frame)[2]) {
        case kCycleRequestId:
            return Describe<CycleRequestPC2MCU>(*frame);
        case kFirmwareVersionId:
            return Describe<FirmwareVersion>(*frame);
        default:
            return {std::nullopt, kInvalidMessageId};
    }
}

RawFrameOutcome ParseRxFrame(std::string_view text) {
    RawFrameOutcome refusal;
    const auto frame = Decode(text, refusal);
    if (!frame) return refusal;
    if (auto refused = CheckFrame(*frame)) return *refused;
    switch ((*frame)[2]) {
        case kCycleResponseId:
            return Describe<CycleResponseMCU2PC>(*frame);
        case kFaultListId:
            return Describe<FaultListEV48400CD5>(*frame);
        case kFirmwareVersionId:
            return Describe<FirmwareVersion>(*frame);
        case kMileageId:
            return Describe<Mileage>(*frame);
        case kTemperatureRegulationId:
            return Describe<TemperatureRegulation>(*frame);
        case kAcceleratorPedalId:
            return Describe<AcceleratorPedal>(*frame);
        case kHillControlId:
            return Describe<HillControl>(*frame);
        case kLowSideDriveId:
            return Describe<LowSideDrive>(*frame);
        case kMotorParametersId:
            return Describe<MotorParameters>(*frame);
        case kStandardGearModeId:
            return Describe<StandardGearMode>(*frame);
        case kCommandResponseId:
            return Describe<CommandResponse_MCU2PC>(*frame);
        default:
            return {std::nullopt, kInvalidMessageId};
    }
}

std::optional<std::string> FixChecksum(std::string_view text) {
    const auto decoded = Decode(text);
    if (!decoded || decoded->size() < kMinFixableLength) return std::nullopt;
    Frame frame = *decoded;
    const size_t n = frame.size();
    frame[n - 3] = SumChecksum(frame, 2, n - 4);
    return ToSpacedHex(frame);
}

std::optional<std::string> TransmitFrame(std::string_view text) {
    const auto frame = Decode(text);
    if (!frame || frame->empty()) return std::nullopt;
    auto& port = SerialPort::Instance();
    // An answer that came after an earlier time-out would otherwise be shown as the answer to this frame.
    port.DiscardPending();
    Log(FormatFrameDump("TX", *frame));
    if (!port.Write(frame->data(), frame->size())) return std::nullopt;
    const Frame answer = port.Read(kAnswerMaxLength, kAnswerMinLength, kNoCompletionByte, kAnswerTimeoutMs);
    if (answer.empty()) return std::nullopt;
    Log(FormatFrameDump("RX", answer));
    return ToSpacedHex(answer);
}

RawExchange SendAndDescribe(std::string_view text) {
    RawExchange exchange;
    exchange.answer = TransmitFrame(text);
    if (exchange.answer) exchange.described = ParseRxFrame(*exchange.answer);
    return exchange;
}

}  // namespace EV48400C
