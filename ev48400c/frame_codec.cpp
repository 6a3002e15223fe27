#include "ev48400c/frame_codec.h"

#include "core/hex_text.h"
#include "core/log.h"

namespace EV48400C {

std::string MessageName(uint8_t id) {
    switch (id) {
        case kCycleRequestId:
            return "CycleRequest_PC2MCU";
        case kCycleResponseId:
            return "CycleResponse_MCU2PC";
        case kHistoryDtcId:
            return "HistoryDTC";
        case kFaultListId:
            return "FaultList";
        case kFirmwareVersionId:
            return "FirmwareVersion";
        case kMileageId:
            return "Mileage";
        case kTemperatureRegulationId:
            return "TemperatureRegulation";
        case kAcceleratorPedalId:
            return "AcceleratorPedal";
        case kHillControlId:
            return "HillControl";
        case kLowSideDriveId:
            return "LowSideDrive";
        case kMotorParametersId:
            return "MotorParameters";
        case kStandardGearModeId:
            return "StandardGearMode";
        case kBatteryPackId:
            return "BatteryPack";
        default:
            return "Unknown";  // the command response too: it has a class but no name
    }
}

std::string ByteText(uint8_t byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {'0', 'x', kDigits[byte >> 4], kDigits[byte & 0x0F]};
}

uint16_t ReadWord(const Frame& frame, size_t position) {
    if (position + 1 >= frame.size()) {
        Log("Offset out of bounds");
        return 0;
    }
    return static_cast<uint16_t>(frame[position] | frame[position + 1] << 8);
}

Frame NewFrame(uint8_t id) {
    Frame frame(kFrameLength, 0);
    frame[0] = 'W';
    frame[1] = 'I';
    frame[2] = id;
    frame[3] = kPayloadLength;
    return frame;
}

void PutWord(Frame& frame, size_t position, uint16_t value) {
    frame.at(position) = static_cast<uint8_t>(value & 0xFF);
    frame.at(position + 1) = static_cast<uint8_t>(value >> 8);
}

Frame SealFrame(Frame frame, const std::string& className) {
    frame[kChecksumPosition] = SumChecksum(frame, 2, kChecksumPosition - 1);
    frame[kChecksumPosition + 1] = 'S';
    frame[kChecksumPosition + 2] = 'E';
    Log(FormatFrame(className, frame));
    return frame;
}

}  // namespace EV48400C
