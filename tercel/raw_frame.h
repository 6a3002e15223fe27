// The Tercel commands of the raw frame page, as plain functions: typed hex text in, the texts the page
// shows out. The page and the command line apply the outcome; nothing here touches a window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/raw_frame.h"

namespace Tercel {

// Checks a command typed for sending and names it ("MCB_CMD_READMEMEX\r\n\r\n"), or gives
// "Invalid Frame", "Invalid Checksum", "Invalid CMD". Remembers the command byte as the last
// transmitted command (0 after "Invalid CMD"). Empty text does nothing.
RawFrameOutcome ParseTxFrame(std::string_view text);
// Describes an answer: a 39-byte answer after a parsed MCB_CMD_GETINFO becomes the current identity
// and shows it; any other answer with a good SOM gives an empty result.
RawFrameOutcome ParseRxFrame(std::string_view text);

// The typed command with its checksum written into the last byte, as spaced upper-case hex; nothing for
// empty or refused text.
std::optional<std::string> FixChecksum(std::string_view text);

// Logs the typed command, writes it to SerialPort::Instance() (opened by the caller) and reads the
// answer; the answer as spaced hex, or nothing when the text is refused, the write failed or nothing
// came back.
std::optional<std::string> TransmitFrame(std::string_view text);

// Transmits the typed command and describes the answer as ParseRxFrame does. Only a command that went
// through ParseTxFrame lets an identity answer be decoded.
RawExchange SendAndDescribe(std::string_view text);

// The command byte the last successful ParseTxFrame saw, process-wide; 0 at start.
uint8_t LastTransmittedCommand();
void SetLastTransmittedCommand(uint8_t command);

// The frame the page starts with: MCB_CMD_READMEMEX of register 255, as spaced hex.
std::string InitialTxText();

}  // namespace Tercel
