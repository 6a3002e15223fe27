#include "tercel/exchange.h"

#include <algorithm>
#include <vector>

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
// A register costs at most three exchanges; two that bring nothing usable end it.
constexpr int kMostReadExchanges = 3;
constexpr int kMostFailedReads = 2;

void Take(uint16_t address, const Frame& answer) {
    Registers()[address] = static_cast<uint16_t>(answer[2] | answer[3] << 8);
    MarkRegisterRead(address);
}

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

bool ReadOneRegister(uint16_t address, const std::string& what) {
    auto& marks = Marks();
    // Answers that checked out but whose last byte is not the command sum.
    std::vector<Frame> unsealed;
    int failed = 0;
    for (int exchange = 0; exchange < kMostReadExchanges && failed < kMostFailedReads; ++exchange) {
        const Frame answer = Exchange(BuildReadFrame(address), kReadAnswerLength);
        if (answer.empty()) {
            ++failed;
            continue;
        }
        if (!ValidateResponse(answer)) {
            Log(what + ": Invalid response");
            ++failed;
            continue;
        }
        if (CarriesCommandSum(answer)) {
            Take(address, answer);
            return true;
        }
        Log(what + ": Invalid checksum");
        // A value taken from a damaged answer would go back to the controller with the next write.
        if (marks.sealedWithCommandSum) {
            ++failed;
            continue;
        }
        if (std::find(unsealed.begin(), unsealed.end(), answer) != unsealed.end()) {
            if (!marks.unknownCheckByteLogged) {
                marks.unknownCheckByteLogged = true;
                Log("Tercel: the controller's answers carry a check byte we do not recognise; a value is "
                    "taken when two answers agree");
            }
            Take(address, answer);
            return true;
        }
        unsealed.push_back(answer);
    }
    return false;
}

void ReadRegisters(std::span<const uint16_t> addresses, const std::string& blockName) {
    for (const uint16_t address : addresses) ReadOneRegister(address, blockName);
}

}  // namespace Tercel
