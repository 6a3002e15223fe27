// The EV48-400-C frame: "WI", identifier, payload length, a 48-byte payload of little-endian words,
// checksum, "SE". Every message of the family is one such frame in either direction.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/imessage.h"

namespace EV48400C {

inline constexpr size_t kFrameLength = 55;
inline constexpr uint8_t kPayloadLength = 48;
inline constexpr size_t kPayloadStart = 4;
inline constexpr size_t kChecksumPosition = 52;

// Message identifiers.
inline constexpr uint8_t kCycleRequestId = 34;
inline constexpr uint8_t kCycleResponseId = 41;
inline constexpr uint8_t kHistoryDtcId = 48;
inline constexpr uint8_t kFaultListId = 49;
inline constexpr uint8_t kFirmwareVersionId = 50;
inline constexpr uint8_t kMileageId = 51;
inline constexpr uint8_t kTemperatureRegulationId = 52;
inline constexpr uint8_t kAcceleratorPedalId = 53;
inline constexpr uint8_t kHillControlId = 54;
inline constexpr uint8_t kLowSideDriveId = 55;
inline constexpr uint8_t kMotorParametersId = 56;
inline constexpr uint8_t kStandardGearModeId = 57;
inline constexpr uint8_t kBatteryPackId = 64;
inline constexpr uint8_t kCommandResponseId = 254;

// "CycleRequest_PC2MCU", "FaultList", ...; "Unknown" for identifiers without a name.
std::string MessageName(uint8_t id);

// "0x3F": how descriptions and frame lines show a byte.
std::string ByteText(uint8_t byte);

// The word at frame positions p and p + 1, low byte first; 0 (and a log line) past the end.
uint16_t ReadWord(const Frame& frame, size_t position);

// A frame of the full length with the header of this identifier and an all-zero payload.
Frame NewFrame(uint8_t id);
void PutWord(Frame& frame, size_t position, uint16_t value);
// Writes the checksum and the trailer into a frame from NewFrame and logs it under the class name.
Frame SealFrame(Frame frame, const std::string& className);

// One payload field of a message class, for classes whose fields are raw words or bytes at fixed
// positions: one table drives both Parse and Serialize, so the two cannot disagree on a position.
template <typename C>
struct WordField {
    size_t position;
    uint16_t C::*member;
};
template <typename C>
struct ByteField {
    size_t position;
    uint8_t C::*member;
};

template <typename C, size_t N>
void ReadFields(const Frame& frame, C& object, const std::array<WordField<C>, N>& layout) {
    for (const auto& field : layout) object.*field.member = ReadWord(frame, field.position);
}
template <typename C, size_t N>
void ReadFields(const Frame& frame, C& object, const std::array<ByteField<C>, N>& layout) {
    for (const auto& field : layout)
        object.*field.member = field.position < frame.size() ? frame[field.position] : 0;
}
template <typename C, size_t N>
void WriteFields(Frame& frame, const C& object, const std::array<WordField<C>, N>& layout) {
    for (const auto& field : layout) PutWord(frame, field.position, object.*field.member);
}
template <typename C, size_t N>
void WriteFields(Frame& frame, const C& object, const std::array<ByteField<C>, N>& layout) {
    for (const auto& field : layout) frame.at(field.position) = object.*field.member;
}

}  // namespace EV48400C
