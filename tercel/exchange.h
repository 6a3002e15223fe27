// One Tercel transaction on the serial port, and the read of a block's registers built on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "core/imessage.h"

namespace Tercel {

// Sends the request and collects the answer of at most answerLength bytes; empty when the send failed
// or nothing came back. Both directions are logged as frame lines.
Frame Exchange(const Frame& request, size_t answerLength);

// Reads every register of the list in order into the register map. A register without an answer keeps
// its value; one with a refused answer keeps it too and logs "<blockName>: Invalid response".
void ReadRegisters(std::span<const uint16_t> addresses, const std::string& blockName);

}  // namespace Tercel
