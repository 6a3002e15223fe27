#include "tercel/raw_frame.h"

#include "core/hex_text.h"
#include "core/imessage.h"
#include "tercel/command_codec.h"
#include "tercel/exchange.h"
#include "tercel/family_state.h"
#include "tercel/get_info.h"

namespace Tercel {

namespace {

constexpr const char* kInvalidFrame = "Invalid Frame";
constexpr const char* kInvalidChecksum = "Invalid Checksum";
constexpr const char* kInvalidCmd = "Invalid CMD";

constexpr uint16_t kInitialRegister = 255;

uint8_t g_lastTransmittedCommand = 0;

const char* CommandName(uint8_t command) {
    switch (command) {
        case MCB_CMD_READMEM:
            return "MCB_CMD_READMEM";
        case MCB_CMD_READMEMEX:
            return "MCB_CMD_READMEMEX";
        case MCB_CMD_GETINFO:
            return "MCB_CMD_GETINFO";
        default:
            return nullptr;
    }
}

}  // namespace

uint8_t LastTransmittedCommand() {
    return g_lastTransmittedCommand;
}

void SetLastTransmittedCommand(uint8_t command) {
    g_lastTransmittedCommand = command;
}

std::string InitialTxText() {
    return ToSpacedHex(BuildReadFrame(kInitialRegister));
}

RawFrameOutcome ParseTxFrame(std::string_view text) {
    if (text.empty()) return {};
    std::string why;
    const auto decoded = TryFromHex(text, &why);
    if (!decoded) return {kInvalidFrame, std::string(kInvalidFrame) + ": " + why};
    const Frame& frame = *decoded;
    if (frame.empty() || frame[0] != kSom) return {kInvalidFrame, std::nullopt};
    if (frame.back() != ComputeChecksum(frame)) return {kInvalidChecksum, std::nullopt};
    // A lone SOM with a good checksum has no command byte: it names nothing.
    const uint8_t command = frame.size() > 1 ? frame[1] : 0;
    const char* name = CommandName(command);
    if (!name) {
        g_lastTransmittedCommand = 0;
        return {kInvalidCmd, ""};
    }
    g_lastTransmittedCommand = command;
    return {std::string(name) + "\r\n\r\n", ""};
}

RawFrameOutcome ParseRxFrame(std::string_view text) {
    if (text.empty()) return {"", std::nullopt};
    std::string why;
    const auto decoded = TryFromHex(text, &why);
    if (!decoded) return {kInvalidFrame, std::string(kInvalidFrame) + ": " + why};
    const Frame& frame = *decoded;
    if (frame.empty() || frame[0] != kSom) return {kInvalidFrame, std::nullopt};
    // Only the answer to an identity request is decoded: a 39-byte answer to anything else would read as
    // an identity that the controller never sent.
    if (g_lastTransmittedCommand != MCB_CMD_GETINFO || frame.size() != kIdentityAnswerLength) return {"", ""};
    if (!TakeIdentity(frame)) return {"MCB_CMD_GETINFO - Invalid", ""};
    return {"MCB_CMD_GETINFO\n" + Objects().identity->Describe(), ""};
}

std::optional<std::string> FixChecksum(std::string_view text) {
    if (text.empty()) return std::nullopt;
    Frame frame = FromHex(text);
    if (frame.empty()) return std::nullopt;
    frame.back() = ComputeChecksum(frame);
    return ToSpacedHex(frame);
}

std::optional<std::string> TransmitFrame(std::string_view text) {
    if (text.empty()) return std::nullopt;
    const Frame frame = FromHex(text);
    if (frame.empty()) return std::nullopt;
    const Frame answer = Exchange(frame, kIdentityAnswerLength);
    if (answer.empty()) return std::nullopt;
    return ToSpacedHex(answer);
}

RawExchange SendAndDescribe(std::string_view text) {
    RawExchange exchange;
    exchange.answer = TransmitFrame(text);
    if (exchange.answer) exchange.described = ParseRxFrame(*exchange.answer);
    return exchange;
}

}  // namespace Tercel
