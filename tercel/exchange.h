// One Tercel transaction on the serial port, and the read of registers built on it.
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

// Reads one register into the register map and marks it as read. An answer whose last byte is the
// command sum is taken. A missing, refused or malformed answer is asked for once more. An answer with
// another last byte is damage when the controller's identity carried the command sum (asked for once
// more, like a missing one); otherwise the controller may seal its answers in a way we do not know,
// and the register is read again, up to twice, until two answers agree. False, with the register's
// value left as it was, when no answer was taken; what went wrong is logged under what.
bool ReadOneRegister(uint16_t address, const std::string& what);

// Reads every register of the list in order. A register without an answer keeps its value and stays
// unread.
void ReadRegisters(std::span<const uint16_t> addresses, const std::string& blockName);

}  // namespace Tercel
