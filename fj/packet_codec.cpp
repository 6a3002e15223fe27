#include "fj/packet_codec.h"

#include <cstdio>

#include "core/log.h"
#include "core/param_registry.h"
#include "core/text.h"
#include "fj/parameter_descriptions.h"
#include "fj/value_table.h"

namespace FJ {

namespace {

std::vector<uint8_t> BuildValuePacket(uint8_t cid, uint8_t group, uint8_t index, uint16_t value) {
    std::vector<uint8_t> packet = {kSoiFirst,
                                   kSoiSecond,
                                   kRequestAddress,
                                   cid,
                                   kValueDataLength,
                                   group,
                                   index,
                                   static_cast<uint8_t>(value & 0xFF),
                                   static_cast<uint8_t>(value >> 8)};
    const uint16_t crc = ComputeCrc16(packet.data() + 2, packet.size() - 2);
    packet.push_back(static_cast<uint8_t>(crc >> 8));
    packet.push_back(static_cast<uint8_t>(crc & 0xFF));
    return packet;
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// One half of an id, read the way a hexadecimal text-to-integer conversion reads it (leading blanks,
// a sign, an optional 0x, digits up to the first other character). A value that is not a byte is
// refused rather than cut to one: "100:00" must not quietly become group 00.
std::optional<uint8_t> ParseIdHalf(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    if (i + 2 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X') &&
        HexDigit(text[i + 2]) >= 0)
        i += 2;
    unsigned value = 0;
    size_t digits = 0;
    for (; i < text.size() && HexDigit(text[i]) >= 0; ++i, ++digits) {
        value = value * 16 + static_cast<unsigned>(HexDigit(text[i]));
        if (value > 0xFF) return std::nullopt;
    }
    if (digits == 0 || (negative && value != 0)) return std::nullopt;
    return static_cast<uint8_t>(value);
}

std::string Decimal(unsigned value) {
    return std::to_string(value);
}

}  // namespace

uint16_t ComputeCrc16(const uint8_t* data, size_t length) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}

bool CheckAddress(uint8_t group, uint8_t index) {
    if (FjValueTable::Contains(group, index)) return true;
    Log("FJ::read/write - group " + Decimal(group) + " or index " + Decimal(index) + " out of range");
    return false;
}

std::vector<uint8_t> BuildReadRequest(uint8_t group, uint8_t index) {
    return BuildValuePacket(FJ_CID_READ_REQUEST, group, index, 0);
}

std::vector<uint8_t> BuildWriteRequest(uint8_t group, uint8_t index, uint16_t value) {
    return BuildValuePacket(FJ_CID_WRITE_REQUEST, group, index, value);
}

std::vector<uint8_t> BuildWriteRequestFromId(const std::wstring& id, uint16_t value) {
    const auto address = ParseId(id);
    if (!address || !CheckAddress(address->group, address->index)) return {};
    return BuildWriteRequest(address->group, address->index, value);
}

std::vector<uint8_t> BuildWriteRequestFromTable(const std::wstring& id) {
    const auto address = ParseId(id);
    if (!address || !CheckAddress(address->group, address->index)) return {};
    return BuildWriteRequest(address->group, address->index,
                             FjValueTable::Instance().Get(address->group, address->index));
}

std::optional<Acknowledge> ParseAcknowledge(const std::vector<uint8_t>& packet) {
    if (packet.size() < kPacketOverhead) {
        Log("FJ: Response too short");
        return std::nullopt;
    }
    if (packet[0] != kSoiFirst || packet[1] != kSoiSecond) {
        Log("FJ: Invalid SOI");
        return std::nullopt;
    }
    const size_t dataLength = packet[4];
    if (packet.size() < dataLength + kPacketOverhead) {
        Log("FJ: Incomplete response packet");
        return std::nullopt;
    }
    const uint16_t received = static_cast<uint16_t>(packet[5 + dataLength] << 8 | packet[6 + dataLength]);
    if (ComputeCrc16(packet.data() + 2, dataLength + 3) != received) {
        Log("FJ: CRC mismatch");
        return std::nullopt;
    }
    const uint8_t* data = packet.data() + 5;
    auto& table = FjValueTable::Instance();
    switch (packet[3]) {
        case FJ_CID_READ_ACK: {
            if (dataLength != kValueDataLength) {
                Log("FJ: Unexpected length in ReadAck");
                return std::nullopt;
            }
            const uint8_t group = data[0], index = data[1];
            const uint16_t value = static_cast<uint16_t>(data[2] | data[3] << 8);
            if (CheckAddress(group, index)) table.Set(group, index, value);
            Log("CIDReadAck " + Decimal(group) + ":" + Decimal(index) + " = " + Decimal(value));
            return Acknowledge{FJ_CID_READ_ACK, {group, index}, value};
        }
        case FJ_CID_WRITE_ACK: {
            if (dataLength != kValueDataLength) {
                Log("FJ: Unexpected length in WriteAck");
                return std::nullopt;
            }
            const uint8_t group = data[0], index = data[1];
            const uint16_t value = static_cast<uint16_t>(data[2] | data[3] << 8);
            // The address comes from the controller or from a data file: check it before the table is
            // read at it, and mark nothing for an address the table does not have.
            if (!CheckAddress(group, index)) return std::nullopt;
            const Acknowledge acknowledge{FJ_CID_WRITE_ACK, {group, index}, value};
            if (table.Get(group, index) == value) return acknowledge;
            // The controller answers a write with the value it actually stored; keep that one, it may
            // have clamped ours, and leave the parameter marked so the page shows it as changed.
            table.Set(group, index, value);
            Log("CIDWriteAck " + Decimal(group) + ":" + Decimal(index) + " = " + Decimal(value));
            const std::wstring id = FormatId(group, index);
            Log(id + L" is dirty");
            DirtyKeys().insert(id);
            return acknowledge;
        }
        case FJ_CID_READ_ERROR:
            if (dataLength != 1) {
                Log("FJ: Unexpected length in ReadError");
                return std::nullopt;
            }
            if (data[0] == FJ_ERROR_ACK_INVALID_PARAMETER) Log("FJ_ERROR_ACK_INVALID_PARAMETER");
            return std::nullopt;
        case FJ_CID_READ_BATCH_REQUEST:
            return std::nullopt;
        default:
            Log("FJ: Unsupported or unknown CID");
            return std::nullopt;
    }
}

bool ParseResponse(const std::vector<uint8_t>& packet) {
    return ParseAcknowledge(packet).has_value();
}

std::string FormatNarrowId(uint8_t group, uint8_t index) {
    char id[6];
    std::snprintf(id, sizeof id, "%02X:%02X", group, index);
    return id;
}

std::wstring FormatId(uint8_t group, uint8_t index) {
    return text::WidenByChar(FormatNarrowId(group, index));
}

std::optional<Address> TryParseId(std::wstring_view id) {
    const size_t colon = id.find(L':');
    if (colon == std::wstring_view::npos) return std::nullopt;
    const auto group = ParseIdHalf(id.substr(0, colon));
    const auto index = ParseIdHalf(id.substr(colon + 1));
    if (!group || !index) return std::nullopt;
    return Address{*group, *index};
}

std::optional<Address> ParseId(std::wstring_view id) {
    auto address = TryParseId(id);
    if (!address) Log("Invalid ID format. Expected format: 0D:08");
    return address;
}

std::wstring DescribeAddress(uint8_t group, uint8_t index) {
    const std::string* description = FindDescription(FormatNarrowId(group, index));
    return description ? text::Utf8ToWide(*description) : L"[unknown]";
}

std::string FormatFirmwareDate() {
    const auto& table = FjValueTable::Instance();
    char date[32];
    std::snprintf(date, sizeof date, "%02u/%02u/%04u",
                  unsigned{table.Get(kFirmwareDateGroup, kFirmwareMonthIndex)},
                  unsigned{table.Get(kFirmwareDateGroup, kFirmwareDayIndex)},
                  unsigned{table.Get(kFirmwareDateGroup, kFirmwareYearIndex)});
    return date;
}

}  // namespace FJ
