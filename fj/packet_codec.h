// FJ packets: EB 90, address, CID, LEN, LEN data bytes, CRC-16 high byte first. A request reads or
// writes one 16-bit value by group and index; the controller answers with an acknowledge carrying the
// value or with an error packet. Accepted answers go into FjValueTable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace FJ {

inline constexpr uint8_t kSoiFirst = 0xEB;
inline constexpr uint8_t kSoiSecond = 0x90;
inline constexpr uint8_t kRequestAddress = 0x01;
// SOI, address, CID, LEN and the two CRC bytes around the data.
inline constexpr size_t kPacketOverhead = 7;
inline constexpr uint8_t kValueDataLength = 4;
inline constexpr size_t kRequestLength = kPacketOverhead + kValueDataLength;

// An answer carries the request's CID, with bit 7 set for an error.
inline constexpr uint8_t FJ_CID_READ_REQUEST = 0x06;
inline constexpr uint8_t FJ_CID_READ_ACK = 0x06;
inline constexpr uint8_t FJ_CID_WRITE_REQUEST = 0x07;
inline constexpr uint8_t FJ_CID_WRITE_ACK = 0x07;
inline constexpr uint8_t FJ_CID_READ_BATCH_REQUEST = 0x0C;
inline constexpr uint8_t FJ_CID_READ_ERROR = 0x86;
inline constexpr uint8_t FJ_CID_WRITE_ERROR = 0x87;

inline constexpr uint8_t FJ_ERROR_ACK_COMMAND_NUMBER_ERROR = 1;
inline constexpr uint8_t FJ_ERROR_ACK_INVALID_PARAMETER = 2;
inline constexpr uint8_t FJ_ERROR_ACK_PARAMETER_VALUE_OVER_LIMIT = 3;
inline constexpr uint8_t FJ_ERROR_ACK_PARAMETER_LENGTH_ERROR = 4;
inline constexpr uint8_t FJ_ERROR_ACK_CRC_ERROR = 5;
inline constexpr uint8_t FJ_ERROR_ACK_WRITE_FAIL = 6;

// The firmware release date: year, month and day at these indexes of one group.
inline constexpr uint8_t kFirmwareDateGroup = 0x01;
inline constexpr uint8_t kFirmwareYearIndex = 0x00;
inline constexpr uint8_t kFirmwareMonthIndex = 0x01;
inline constexpr uint8_t kFirmwareDayIndex = 0x02;

struct Address {
    uint8_t group;
    uint8_t index;
};

// CRC-16 with the reflected polynomial 0xA001, start 0xFFFF, no final XOR.
uint16_t ComputeCrc16(const uint8_t* data, size_t length);

// True for an address inside FjValueTable; otherwise logs the refusal.
bool CheckAddress(uint8_t group, uint8_t index);

std::vector<uint8_t> BuildReadRequest(uint8_t group, uint8_t index);
std::vector<uint8_t> BuildWriteRequest(uint8_t group, uint8_t index, uint16_t value);
// From a GG:II id; empty for a malformed id or an address outside the table.
std::vector<uint8_t> BuildWriteRequestFromId(const std::wstring& id, uint16_t value);
// The same with the value FjValueTable holds for the address.
std::vector<uint8_t> BuildWriteRequestFromTable(const std::wstring& id);

// What an accepted acknowledge carried.
struct Acknowledge {
    uint8_t cid;  // FJ_CID_READ_ACK or FJ_CID_WRITE_ACK
    Address address;
    uint16_t value;
};

// Checks one answer and applies it to FjValueTable. The acknowledge when it was an accepted read or
// write acknowledge; nothing (and a log line saying why) otherwise.
std::optional<Acknowledge> ParseAcknowledge(const std::vector<uint8_t>& packet);
// The same, true for an accepted acknowledge.
bool ParseResponse(const std::vector<uint8_t>& packet);

// "0D:08": upper-case hex group and index.
std::wstring FormatId(uint8_t group, uint8_t index);
std::string FormatNarrowId(uint8_t group, uint8_t index);
// The address of a GG:II id (hex digits of either case), or nothing; TryParseId stays silent,
// ParseId logs the expected format.
std::optional<Address> TryParseId(std::wstring_view id);
std::optional<Address> ParseId(std::wstring_view id);

// The address's description, or "[unknown]".
std::wstring DescribeAddress(uint8_t group, uint8_t index);

// "03/15/2023" from the firmware release month, day and year.
std::string FormatFirmwareDate();

}  // namespace FJ
