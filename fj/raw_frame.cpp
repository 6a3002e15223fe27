#include "fj/raw_frame.h"

#include <cstdio>
#include <vector>

#include "core/hex_text.h"
#include "core/log.h"
#include "core/text.h"
#include "fj/packet_codec.h"
#include "serial/serial_port.h"

namespace FJ {

namespace {

using Bytes = std::vector<uint8_t>;

constexpr const char* kInvalidFrame = "Invalid Frame";
constexpr const char* kInvalidChecksum = "Invalid Checksum";
constexpr const char* kInvalidCid = "Invalid CID";

constexpr size_t kCrcStart = 2;  // the CRC covers address, CID, LEN and data
constexpr size_t kLenPosition = 4;
constexpr size_t kDataStart = 5;
// SOI, one byte for the CRC to cover and the CRC itself; shorter text would have its SOI overwritten.
constexpr size_t kMinFixableLength = 5;

constexpr size_t kAnswerMaxLength = kRequestLength;
constexpr size_t kAnswerMinLength = 8;
constexpr uint8_t kAnswerCompletionByte = FJ_CID_READ_ERROR;
constexpr uint32_t kAnswerTimeoutMs = 500;

constexpr const char* kValueFieldNames[kValueDataLength] = {"Group", "Index", "Value low byte",
                                                            "Value high byte"};

enum class Side { Tx, Rx };

RawFrameOutcome Refused(const std::string& text) {
    return {text, text};
}

// "Invalid Frame" stays the status; the output box also says how much of the packet is missing, so the
// technician can see what to add instead of guessing.
RawFrameOutcome RefusedShort(const std::string& missing) {
    return {std::string(kInvalidFrame) + "\r\nMissing: " + missing, kInvalidFrame};
}

std::string HexByte(uint8_t byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", unsigned{byte});
    return text;
}

// SOI, a whole packet as LEN announces it, and its CRC; the refusal when any of them fails.
std::optional<RawFrameOutcome> CheckPacket(const Bytes& packet) {
    const size_t n = packet.size();
    if (n < kPacketOverhead)
        return RefusedShort(std::to_string(kPacketOverhead - n) + " of the " +
                            std::to_string(kPacketOverhead) + " bytes every packet has");
    if (packet[0] != kSoiFirst || packet[1] != kSoiSecond) return Refused(kInvalidFrame);
    const size_t dataLength = packet[kLenPosition];
    const size_t needed = dataLength + kPacketOverhead;
    if (n < needed)
        return RefusedShort(std::to_string(needed - n) + " of the " + std::to_string(needed) + " bytes LEN " +
                            std::to_string(dataLength) + " announces");
    const uint16_t crc = ComputeCrc16(packet.data() + kCrcStart, kDataStart + dataLength - kCrcStart);
    const uint16_t typed =
        static_cast<uint16_t>(packet[kDataStart + dataLength] << 8 | packet[kDataStart + dataLength + 1]);
    if (crc != typed) return Refused(kInvalidChecksum);
    return std::nullopt;
}

// The name, LEN, address, description and value lines of a request or an acknowledge. A packet whose LEN
// leaves out part of the address or value names the missing fields rather than reading its CRC as them.
std::string DescribeValuePacket(const char* cidName, const Bytes& packet) {
    const size_t dataLength = packet[kLenPosition];
    std::string out = std::string(cidName) + "\r\n" + "LEN: " + std::to_string(dataLength) + "\r\n";
    if (dataLength < kValueDataLength) {
        std::string missing;
        for (size_t k = dataLength; k < kValueDataLength; ++k) {
            if (!missing.empty()) missing += ", ";
            missing += kValueFieldNames[k];
        }
        return out + "Missing: " + missing + "\r\n";
    }
    const uint8_t group = packet[kDataStart];
    const uint8_t index = packet[kDataStart + 1];
    const uint8_t low = packet[kDataStart + 2];
    const uint8_t high = packet[kDataStart + 3];
    out += "Group: " + std::to_string(group) + "\r\n";
    out += "Index: " + std::to_string(index) + "\r\n";
    out += text::WideToUtf8(DescribeAddress(group, index)) + "\r\n";
    out += "Value: " + HexByte(low) + " " + HexByte(high) + " " + std::to_string(low + 256 * high) + "\r\n";
    return out;
}

const char* ErrorCodeName(uint8_t code) {
    switch (code) {
        case FJ_ERROR_ACK_COMMAND_NUMBER_ERROR:
            return "FJ_ERROR_ACK_COMMAND_NUMBER_ERROR";
        case FJ_ERROR_ACK_INVALID_PARAMETER:
            return "FJ_ERROR_ACK_INVALID_PARAMETER";
        case FJ_ERROR_ACK_PARAMETER_VALUE_OVER_LIMIT:
            return "FJ_ERROR_ACK_PARAMETER_VALUE_OVER_LIMIT";
        case FJ_ERROR_ACK_PARAMETER_LENGTH_ERROR:
            return "FJ_ERROR_ACK_PARAMETER_LENGTH_ERROR";
        case FJ_ERROR_ACK_CRC_ERROR:
            return "FJ_ERROR_ACK_CRC_ERROR";
        case FJ_ERROR_ACK_WRITE_FAIL:
            return "FJ_ERROR_ACK_WRITE_FAIL";
        default:
            return nullptr;
    }
}

RawFrameOutcome DescribeError(const char* cidName, const Bytes& packet) {
    const size_t dataLength = packet[kLenPosition];
    std::string out = std::string(cidName) + "\r\n" + "LEN: " + std::to_string(dataLength);
    if (dataLength == 0)
        out += "\r\nMissing: Error code";
    else if (const char* name = ErrorCodeName(packet[kDataStart]))
        out += std::string("\r\n") + name;
    return {out, cidName};
}

const char* RequestName(uint8_t cid) {
    switch (cid) {
        case FJ_CID_READ_REQUEST:
            return "FJ_CID_READ_REQUEST";
        case FJ_CID_WRITE_REQUEST:
            return "FJ_CID_WRITE_REQUEST";
        case FJ_CID_READ_BATCH_REQUEST:
            return "FJ_CID_READ_BATCH_REQUEST";
        default:
            return nullptr;
    }
}

RawFrameOutcome Parse(std::string_view text, Side side) {
    if (text.empty()) return {};
    std::string why;
    const auto decoded = TryFromHex(text, &why);
    if (!decoded) return {kInvalidFrame, std::string(kInvalidFrame) + ": " + why};
    const Bytes& packet = *decoded;
    if (auto refused = CheckPacket(packet)) return *refused;
    const uint8_t cid = packet[3];
    if (side == Side::Tx) {
        const char* name = RequestName(cid);
        if (!name) return Refused(kInvalidCid);
        return {DescribeValuePacket(name, packet), ""};
    }
    switch (cid) {
        case FJ_CID_READ_ACK:
            return {DescribeValuePacket("FJ_CID_READ_ACK", packet), ""};
        case FJ_CID_WRITE_ACK:
            return {DescribeValuePacket("FJ_CID_WRITE_ACK", packet), ""};
        case FJ_CID_READ_ERROR:
            return DescribeError("FJ_CID_READ_ERROR", packet);
        case FJ_CID_WRITE_ERROR:
            return DescribeError("FJ_CID_WRITE_ERROR", packet);
        default:
            return Refused(kInvalidCid);
    }
}

}  // namespace

RawFrameOutcome ParseTxFrame(std::string_view text) {
    return Parse(text, Side::Tx);
}

RawFrameOutcome ParseRxFrame(std::string_view text) {
    return Parse(text, Side::Rx);
}

std::optional<std::string> FixChecksum(std::string_view text) {
    if (text.empty()) return std::nullopt;
    Bytes packet = FromHex(text);
    const size_t n = packet.size();
    if (n < kMinFixableLength) return std::nullopt;
    const uint16_t crc = ComputeCrc16(packet.data() + kCrcStart, n - kCrcStart - 2);
    packet[n - 2] = static_cast<uint8_t>(crc >> 8);
    packet[n - 1] = static_cast<uint8_t>(crc & 0xFF);
    return ToSpacedHex(packet);
}

std::optional<std::string> TransmitFrame(std::string_view text) {
    if (text.empty()) return std::nullopt;
    const Bytes packet = FromHex(text);
    if (packet.empty()) return std::nullopt;
    auto& port = SerialPort::Instance();
    // An answer that came after an earlier time-out would otherwise be shown as the answer to this packet.
    port.DiscardPending();
    Log(FormatFrameDump("TX", packet));
    if (!port.Write(packet.data(), packet.size())) return std::nullopt;
    const Bytes answer =
        port.Read(kAnswerMaxLength, kAnswerMinLength, kAnswerCompletionByte, kAnswerTimeoutMs);
    if (answer.empty()) return std::nullopt;
    Log(FormatFrameDump("RX", answer));
    return ToSpacedHex(answer);
}

RawExchange SendAndDescribe(std::string_view text) {
    RawExchange exchange;
    exchange.answer = TransmitFrame(text);
    if (exchange.answer) exchange.described = ParseRxFrame(*exchange.answer);
    return exchange;
}

}  // namespace FJ
