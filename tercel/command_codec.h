// The Tercel command protocol: one command frame from the PC, one response frame from the controller.
// Every frame starts with the SOM byte; commands end with a checksum over everything after the SOM.
#pragma once

#include <cstdint>
#include <string>

#include "core/imessage.h"

namespace Tercel {

inline constexpr uint8_t kSom = 0x2B;

// Command codes, frame byte 1 of a command.
inline constexpr uint8_t MCB_CMD_READMEM = 0x01;
inline constexpr uint8_t MCB_CMD_READMEMEX = 0x04;
inline constexpr uint8_t MCB_CMD_WRITEMEMEX = 0x05;
inline constexpr uint8_t MCB_CMD_GETINFO = 0xC0;

inline constexpr size_t kReadFrameLength = 9;
inline constexpr size_t kWriteFrameLength = 11;
inline constexpr size_t kReadAnswerLength = 5;
inline constexpr size_t kWriteAnswerLength = 3;
inline constexpr size_t kIdentityAnswerLength = 39;

// Set in the status byte (frame byte 1) of an answer the controller refuses.
inline constexpr uint8_t kRefusedBit = 0x80;

// The two's complement of the sum of bytes 1 .. n-2, so that bytes 1 .. n-1 add up to 0. Frames of
// fewer than three bytes have checksum 0.
uint8_t ComputeChecksum(const Frame& frame);

Frame BuildReadFrame(uint16_t address);
Frame BuildWriteFrame(uint16_t address, uint16_t value);
Frame IdentityRequest();

// The check every Tercel message uses: length, SOM and the refusal bit of the status byte. Each refusal
// is logged; the checksum of a response is not examined.
bool ValidateResponse(const Frame& frame);

// The answer to a write: SOM, status and check byte. True when it has that shape and its status
// carries no refusal; a refusal is logged. The check byte is left to the caller.
bool ValidateWriteAnswer(const Frame& frame);

// Whether the frame's last byte is the command sum (ComputeChecksum).
bool CarriesCommandSum(const Frame& frame);

// Takes a received identity response or a replayed write frame. An identity response (39 bytes)
// becomes the current identity only when it checks out; a write frame sets the register and marks it
// dirty when the value changes. Anything else logs "Tercel: Unsupported or unknown CMD".
bool HandleFrame(Frame frame);

// "B3E": upper-case hex of a number, at least two digits.
std::string HexText(unsigned value);

}  // namespace Tercel
