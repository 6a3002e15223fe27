#include "tercel/command_codec.h"

#include <cstdio>

#include "core/log.h"
#include "core/param_registry.h"
#include "tercel/family_state.h"

namespace Tercel {

namespace {

constexpr uint8_t kRegisterDataLength = 2;
constexpr size_t kAddressPosition = 4;
constexpr size_t kValuePosition = 8;

void PutAddress(Frame& frame, uint16_t address) {
    // Addresses travel as 32 bits; the program addresses 16-bit registers only, so the top two are 0.
    frame[kAddressPosition] = static_cast<uint8_t>(address & 0xFF);
    frame[kAddressPosition + 1] = static_cast<uint8_t>(address >> 8);
}

Frame Sealed(Frame frame) {
    frame.back() = ComputeChecksum(frame);
    return frame;
}

}  // namespace

std::string HexText(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

uint8_t ComputeChecksum(const Frame& frame) {
    if (frame.size() < 3) return 0;
    uint16_t sum = 0;
    for (size_t i = 1; i + 1 < frame.size(); ++i) sum = static_cast<uint16_t>(sum + frame[i]);
    return static_cast<uint8_t>(-(sum & 0xFF));
}

Frame BuildReadFrame(uint16_t address) {
    Frame frame = {kSom, MCB_CMD_READMEMEX, 0x05, kRegisterDataLength, 0, 0, 0, 0, 0};
    PutAddress(frame, address);
    return Sealed(std::move(frame));
}

Frame BuildWriteFrame(uint16_t address, uint16_t value) {
    Frame frame = {kSom, MCB_CMD_WRITEMEMEX, 0x07, kRegisterDataLength, 0, 0, 0, 0, 0, 0, 0};
    PutAddress(frame, address);
    frame[kValuePosition] = static_cast<uint8_t>(value & 0xFF);
    frame[kValuePosition + 1] = static_cast<uint8_t>(value >> 8);
    return Sealed(std::move(frame));
}

Frame IdentityRequest() {
    return Sealed({kSom, MCB_CMD_GETINFO, 0});
}

bool ValidateResponse(const Frame& frame) {
    if (frame.size() < kReadAnswerLength) {
        Log("Error: Invalid Size = " + std::to_string(frame.size()));
        return false;
    }
    if (frame[0] != kSom) {
        Log("Error: Invalid SOM = " + HexText(frame[0]));
        return false;
    }
    if (frame[1] & kRefusedBit) {
        Log("Error: status = " + HexText(frame[1]));
        return false;
    }
    return true;
}

bool ValidateWriteAnswer(const Frame& frame) {
    if (frame.size() < kWriteAnswerLength || frame[0] != kSom) {
        Log("Tercel: no write answer");
        return false;
    }
    if (frame[1] & kRefusedBit) {
        Log("Error: status = " + HexText(frame[1]));
        return false;
    }
    return true;
}

bool CarriesCommandSum(const Frame& frame) {
    return !frame.empty() && frame.back() == ComputeChecksum(frame);
}

bool HandleFrame(Frame frame) {
    if (frame.size() == kIdentityAnswerLength) return TakeIdentity(frame);
    // A frame too short for its own fields is refused rather than read past its end.
    if (frame.size() < 2 || frame[1] != MCB_CMD_WRITEMEMEX || frame.size() < kValuePosition + 2) {
        Log("Tercel: Unsupported or unknown CMD");
        return false;
    }
    const auto address = static_cast<uint16_t>(frame[kAddressPosition] | frame[kAddressPosition + 1] << 8);
    const auto value = static_cast<uint16_t>(frame[kValuePosition] | frame[kValuePosition + 1] << 8);
    uint16_t& stored = Registers()[address];
    if (stored == value) return true;
    stored = value;
    Log("MCB_CMD_WRITEMEMEX " + HexText(address) + " = " + std::to_string(value));
    Log(HexText(address) + " is dirty");
    DirtyKeys().insert(std::to_wstring(address));
    return true;
}

}  // namespace Tercel
