#include "tercel/exchange.h"

#include "core/hex_text.h"
#include "core/log.h"
#include "serial/serial_port.h"
#include "tercel/command_codec.h"
#include "tercel/family_state.h"

namespace Tercel {

namespace {

constexpr size_t kAnswerMinLength = 3;
constexpr uint8_t kCompletionByte = 0x81;
constexpr uint32_t kAnswerTimeoutMs = 500;

}  // namespace

Frame Exchange(const Frame& request, size_t answerLength) {
    auto& port = SerialPort::Instance();
    // A read answer carries no address: one that came after its time-out would otherwise be taken as the
    // answer to this request, and every register after it would be stored one place off.
    port.DiscardPending();
    Log(FormatFrameDump("TX", request));
    if (!port.Write(request.data(), request.size())) return {};
    Frame answer = port.Read(answerLength, kAnswerMinLength, kCompletionByte, kAnswerTimeoutMs);
    if (!answer.empty()) Log(FormatFrameDump("RX", answer));
    return answer;
}

void ReadRegisters(std::span<const uint16_t> addresses, const std::string& blockName) {
    for (const uint16_t address : addresses) {
        const Frame answer = Exchange(BuildReadFrame(address), kReadAnswerLength);
        if (answer.empty()) continue;
        if (!ValidateResponse(answer)) {
            Log(blockName + ": Invalid response");
            continue;
        }
        // The controller seals its answers like its commands. A garbled value taken here would go back
        // to the controller with the next write, so an answer that fails its checksum is not taken.
        if (answer.back() != ComputeChecksum(answer)) {
            Log(blockName + ": Invalid checksum");
            continue;
        }
        Registers()[address] = static_cast<uint16_t>(answer[2] | answer[3] << 8);
    }
}

}  // namespace Tercel
