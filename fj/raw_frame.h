// The FJ commands of the raw frame page, as plain functions: typed hex text in, the texts the page
// shows out. The page and the command line apply the outcome; nothing here touches a window.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/raw_frame.h"

namespace FJ {

// Checks a packet typed for sending and describes it: the CID name, LEN, group, index, the address's
// description and the value; or "Invalid Frame", "Invalid Checksum", "Invalid CID". Text shorter than
// its packet says which bytes are missing. Empty text does nothing.
RawFrameOutcome ParseTxFrame(std::string_view text);
// The same for an answer: acknowledges are described like requests, error packets by their code.
RawFrameOutcome ParseRxFrame(std::string_view text);

// The typed packet with its CRC written into the last two bytes, as spaced upper-case hex; nothing for
// empty, refused or too short text.
std::optional<std::string> FixChecksum(std::string_view text);

// Logs the typed packet, writes it to SerialPort::Instance() (opened by the caller) and reads the
// answer; the answer as spaced hex, or nothing when the text is refused, the write failed or nothing
// came back.
std::optional<std::string> TransmitFrame(std::string_view text);

// Transmits the typed packet and describes the answer as ParseRxFrame does.
RawExchange SendAndDescribe(std::string_view text);

}  // namespace FJ
