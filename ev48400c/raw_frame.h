// The EV48-400-C commands of the raw frame page, as plain functions: typed hex text in, the texts the
// page shows out. The page and the command line apply the outcome; nothing here touches a window.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/raw_frame.h"

namespace EV48400C {

// Checks a frame typed for sending and describes it ("Invalid Frame", "Invalid Checksum",
// "Invalid MessageID" or the message's description). Empty text does nothing.
RawFrameOutcome ParseTxFrame(std::string_view text);
// The same for a received frame, with the identifiers the controller sends.
RawFrameOutcome ParseRxFrame(std::string_view text);

// The typed frame with its checksum written in, as spaced upper-case hex; nothing for empty, refused or
// too short text.
std::optional<std::string> FixChecksum(std::string_view text);

// Logs the typed frame, writes it to SerialPort::Instance() (opened by the caller) and reads the
// answer; the answer as spaced hex, or nothing when the text is refused, the write failed or nothing
// came back.
std::optional<std::string> TransmitFrame(std::string_view text);

// Transmits the typed frame and describes the answer as ParseRxFrame does.
RawExchange SendAndDescribe(std::string_view text);

}  // namespace EV48400C
