// A simulated Tercel controller at 38400 bit/s: "+"-framed commands with a negated-sum checksum. It
// answers MCB_CMD_GETINFO with its 39-byte identity and reads and writes its 16-bit registers; a
// register it does not have, or a command it does not know, gets an answer with the refusal bit set.
// Its answers end with the same sum unless the behaviour asks for another last byte.
#include "sim/tercel_sim.h"

#include <map>
#include <optional>
#include <string>

#include "sim/state_text.h"

namespace sim {

namespace {

constexpr uint8_t kSom = 0x2B;
constexpr uint8_t kReadCommand = 0x04;
constexpr uint8_t kWriteCommand = 0x05;
constexpr uint8_t kInfoCommand = 0xC0;
constexpr uint8_t kStatusOk = 0x00;
constexpr uint8_t kStatusRefused = 0x80;
constexpr size_t kInfoLength = 39;
constexpr size_t kReadLength = 9;
constexpr size_t kWriteLength = 11;

// The bytes after the SOM of a sound frame add up to 0 modulo 256.
uint8_t NegatedSum(const Bytes& frame, size_t end) {
    unsigned sum = 0;
    for (size_t i = 1; i < end; ++i) sum += frame[i];
    return static_cast<uint8_t>((256 - sum % 256) % 256);
}

uint8_t Xor(const Bytes& frame) {
    uint8_t x = 0;
    for (size_t i = 1; i < frame.size(); ++i) x = static_cast<uint8_t>(x ^ frame[i]);
    return x;
}

// The answer with its last byte, filled the way the behaviour asks (the command sum by default).
Bytes Sealed(Bytes answer, const SimBehaviour& behaviour) {
    switch (behaviour.tercelCheckByte) {
        case SimBehaviour::CheckByte::NegatedSum:
            answer.push_back(NegatedSum(answer, answer.size()));
            break;
        case SimBehaviour::CheckByte::Xor:
            answer.push_back(Xor(answer));
            break;
        case SimBehaviour::CheckByte::Constant:
            answer.push_back(behaviour.tercelCheckConstant);
            break;
    }
    return answer;
}

// A 48 V cart controller with a permanent-magnet motor: scales of 10 counts a volt and an ampere, a
// 450 A unit, every speed below the 6500 RPM motor maximum, full speed response, and a frame ID whose
// high byte is 0x81 (the byte that marks the end of an answer at its position).
std::map<uint16_t, uint16_t> FactoryRegisters() {
    return {
        // Configuration and identifiers.
        {2, 10},
        {4, 10},
        {6, 1005},
        {12, 480},
        {14, 600},
        {20, 6000},
        {24, 3000},
        {26, 4500},
        {28, 500},
        {122, 0x8112},
        {124, 7},
        {126, 0x2310},
        {128, 0x0104},
        {130, 0x0A21},
        {132, 1},
        {134, 0x1140},
        {136, 0x0203},
        {138, 1},
        // Speed limits and motor speeds.
        {2878, 6500},
        {2586, 5200},
        {2588, 2600},
        {2590, 3600},
        {2592, 2000},
        {2754, 255},
        {2756, 120},
        {3378, 160},
        {3380, 80},
        {3128, 1000},
        {3130, 2000},
        {3132, 3000},
        {3134, 4000},
        {3136, 5000},
        {3138, 6000},
        // Current limits, in 1/32767 of the unit's maximum current.
        {3140, 29127},
        {3142, 27000},
        {3144, 24000},
        {3146, 20000},
        {3148, 16000},
        {3150, 12000},
        // Acceleration.
        {2594, 1},
        {2596, 4000},
        {2598, 1000},
        {2600, 2500},
        {2602, 1500},
        {2604, 3000},
        {2612, 2000},
        {2614, 1200},
        {2616, 2500},
        // Vehicle.
        {2430, 1},
        {2432, 103},
        {2434, 460},
        {3362, 8},
    };
}

Bytes Identity(const SimBehaviour& behaviour) {
    Bytes answer(kInfoLength - 1, 0);
    answer[0] = kSom;
    answer[1] = kStatusOk;
    answer[2] = 3;     // protocol version
    answer[3] = 0x01;  // kept by the PC, not shown; never the end marker 0x81
    answer[5] = 2;     // firmware 2.7
    answer[6] = 7;
    answer[8] = 0x12;  // two big-endian words the PC keeps
    answer[9] = 0x34;
    answer[10] = 0x01;
    answer[11] = 0x02;
    const std::string description = "TERCEL SIM 48V 450A";
    for (size_t i = 0; i < description.size(); ++i) answer[13 + i] = static_cast<uint8_t>(description[i]);
    return Sealed(std::move(answer), behaviour);
}

class TercelSim final : public SimController {
public:
    TercelSim() : registers_(FactoryRegisters()) {}

    std::string Family() const override { return "Tercel"; }
    uint32_t BaudRate() const override { return 38400; }

    std::vector<Bytes> Receive(const Bytes& bytes) override {
        pending_.insert(pending_.end(), bytes.begin(), bytes.end());
        std::vector<Bytes> answers;
        while (true) {
            // Resynchronise on the SOM; anything before it is noise.
            size_t start = 0;
            while (start < pending_.size() && pending_[start] != kSom) ++start;
            pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(start));
            if (pending_.size() < 2) break;
            const size_t length = CommandLength(pending_[1]);
            if (pending_.size() < length) break;
            const Bytes frame(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(length));
            if (NegatedSum(frame, length - 1) != frame[length - 1]) {
                pending_.erase(pending_.begin());  // not a command after all: look for the next SOM
                continue;
            }
            pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(length));
            answers.push_back(Answer(frame));
        }
        return answers;
    }

    // One "address=VALUE" line per register, the value as four hex digits, high byte first.
    std::string SaveState() const override {
        std::map<std::string, Bytes> blocks;
        for (const auto& [address, value] : registers_)
            blocks[std::to_string(address)] = {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
        return BlocksToText(blocks);
    }

    bool LoadState(const std::string& text) override {
        const auto blocks = BlocksFromText(text);
        if (!blocks) return false;
        std::map<uint16_t, uint16_t> loaded = FactoryRegisters();
        for (const auto& [name, value] : *blocks) {
            const auto address = Address(name);
            if (!address || !loaded.count(*address) || value.size() != 2) return false;
            loaded[*address] = static_cast<uint16_t>(value[0] << 8 | value[1]);
        }
        registers_ = std::move(loaded);
        return true;
    }

private:
    // Commands without a known length are taken as the shortest frame, SOM, command and checksum.
    static size_t CommandLength(uint8_t command) {
        switch (command) {
            case kReadCommand:
                return kReadLength;
            case kWriteCommand:
                return kWriteLength;
            default:
                return 3;
        }
    }

    static std::optional<uint16_t> Address(const std::string& name) {
        if (name.empty() || name.size() > 5) return std::nullopt;
        unsigned value = 0;
        for (const char c : name) {
            if (c < '0' || c > '9') return std::nullopt;
            value = value * 10 + static_cast<unsigned>(c - '0');
        }
        if (value > 0xFFFF) return std::nullopt;
        return static_cast<uint16_t>(value);
    }

    // The register a read or write names, when the frame has the layout of one register at a 16-bit
    // address and the controller has that register.
    std::optional<uint16_t> KnownRegister(const Bytes& frame, uint8_t payloadLength) const {
        if (frame[2] != payloadLength || frame[3] != 2 || frame[6] != 0 || frame[7] != 0) return std::nullopt;
        const auto address = static_cast<uint16_t>(frame[4] | frame[5] << 8);
        if (!registers_.count(address)) return std::nullopt;
        return address;
    }

    // A refusal has the length of the answer it stands for, so the PC's read ends as early as usual.
    Bytes Answer(const Bytes& frame) {
        switch (frame[1]) {
            case kInfoCommand:
                return Identity(behaviour_);
            case kReadCommand: {
                const auto address = KnownRegister(frame, 5);
                if (!address) return Sealed({kSom, kStatusRefused, 0, 0}, behaviour_);
                const uint16_t value = registers_.at(*address);
                return Sealed(
                    {kSom, kStatusOk, static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>(value >> 8)},
                    behaviour_);
            }
            case kWriteCommand: {
                const auto address = KnownRegister(frame, 7);
                if (!address || behaviour_.refuseWrites) return Sealed({kSom, kStatusRefused}, behaviour_);
                registers_[*address] = static_cast<uint16_t>(frame[8] | frame[9] << 8);
                return Sealed({kSom, kStatusOk}, behaviour_);
            }
            default:
                return Sealed({kSom, kStatusRefused}, behaviour_);
        }
    }

    std::map<uint16_t, uint16_t> registers_;
    Bytes pending_;
};

}  // namespace

std::unique_ptr<SimController> MakeTercelSim() {
    return std::make_unique<TercelSim>();
}

}  // namespace sim
