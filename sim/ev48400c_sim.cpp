// A simulated EV48-400-C controller: 55-byte "WI ... SE" frames at 115200 bit/s. It answers a cycle
// request (identifier 34, command 1) with the message asked for, and a written parameter group with a
// command response, storing the group.
#include "sim/ev48400c_sim.h"

#include <map>
#include <optional>
#include <set>

#include "core/imessage.h"
#include "sim/state_text.h"

namespace sim {

namespace {

constexpr size_t kFrameLength = 55;
constexpr size_t kPayloadLength = 48;
constexpr uint8_t kCycleRequest = 34;
constexpr uint8_t kCommandResponse = 254;
constexpr uint8_t kRequestSpecifiedMessage = 1;
constexpr uint8_t kResponseNormal = 1;
constexpr uint8_t kResponseAbnormal = 2;
constexpr uint16_t kStoredFaultCount = 3;
// Parameter groups the controller accepts as writes.
const std::set<uint8_t> kWritableGroups = {51, 52, 53, 54, 55, 56, 57};

struct Word {
    size_t position;  // frame position of the low byte
    int value;
};

Bytes Payload(std::initializer_list<Word> words,
              std::initializer_list<std::pair<size_t, uint8_t>> bytes = {}) {
    Bytes payload(kPayloadLength, 0);
    for (const auto& w : words) {
        const auto raw = static_cast<uint16_t>(w.value);
        payload[w.position - 4] = static_cast<uint8_t>(raw & 0xFF);
        payload[w.position - 3] = static_cast<uint8_t>(raw >> 8);
    }
    for (const auto& [position, value] : bytes) payload[position - 4] = value;
    return payload;
}

// A D5 cart at rest on a 48 V pack, with its tuning inside every limit and two faults stored.
std::map<uint8_t, Bytes> FactoryState() {
    std::map<uint8_t, Bytes> state;
    state[41] = Payload({{6, 482},
                         {8, 1},
                         {10, 481},
                         {16, 48},
                         {18, 479},
                         {34, 24},
                         {36, 27},
                         {40, 1234},
                         {42, 0},
                         {44, 5678},
                         {46, 0}},
                        {{12, 3}, {13, 50}});
    state[50] = Payload({{4, 2024}, {6, 3}, {8, 15}, {10, 12}, {12, 1}, {14, 0x1111}, {16, 0x2222}});
    state[56] = Payload({{4, 0x0101},
                         {6, 0x0202},
                         {8, 0x0303},
                         {10, 5000},
                         {12, 6300},
                         {14, 45},
                         {16, 100},
                         {18, 100},
                         {20, 95},
                         {22, 90},
                         {24, 85},
                         {26, 80},
                         {28, 75},
                         {30, 30},
                         {32, 35},
                         {34, 40},
                         {36, 45},
                         {38, 50},
                         {40, 55}});
    state[57] =
        Payload({{4, 4500}, {6, 2500}, {8, 2000}, {10, 1500}, {12, 120}}, {{14, 0x5A}, {16, 0xA5}, {20, 5}});
    state[51] = Payload({{6, 457}, {8, 123}});
    state[53] = Payload({{4, 2},
                         {6, 450},
                         {8, 50},
                         {10, 40},
                         {12, 50},
                         {14, 60},
                         {16, 60},
                         {18, 55},
                         {20, 50},
                         {22, 45},
                         {24, 40},
                         {26, 35},
                         {28, 70},
                         {30, 65},
                         {32, 60},
                         {34, 55},
                         {36, 50},
                         {38, 45},
                         {40, 40}});
    state[55] =
        Payload({{4, 1}, {6, 1}, {8, 0}, {10, 480}, {12, 10}, {14, 360}, {16, 480}, {18, 5}, {20, 240}});
    state[52] = Payload({{4, 1}, {6, 120}, {8, 140}, {10, 80}, {12, 90}, {14, -10}, {16, -20}});
    state[54] = Payload({{4, 0}, {6, 300}, {8, 2000}, {10, 100}});
    state[49] = Payload({}, {{4, 0x40}, {8, 0x08}});  // low state of charge, communication loss
    return state;
}

Bytes BuildFrame(uint8_t id, const Bytes& payload) {
    Bytes frame(kFrameLength, 0);
    frame[0] = 'W';
    frame[1] = 'I';
    frame[2] = id;
    frame[3] = static_cast<uint8_t>(kPayloadLength);
    for (size_t i = 0; i < payload.size() && i < kPayloadLength; ++i) frame[4 + i] = payload[i];
    frame[kFrameLength - 3] = SumChecksum(frame, 2, kFrameLength - 4);
    frame[kFrameLength - 2] = 'S';
    frame[kFrameLength - 1] = 'E';
    return frame;
}

class Ev48400cSim final : public SimController {
public:
    Ev48400cSim() : state_(FactoryState()) {}

    std::string Family() const override { return "EV48-400-C"; }
    uint32_t BaudRate() const override { return 115200; }

    std::vector<Bytes> Receive(const Bytes& bytes) override {
        pending_.insert(pending_.end(), bytes.begin(), bytes.end());
        std::vector<Bytes> answers;
        while (true) {
            // Resynchronise on "WI"; anything before it is noise.
            size_t start = 0;
            while (start + 1 < pending_.size() && !(pending_[start] == 'W' && pending_[start + 1] == 'I'))
                ++start;
            if (start + 1 >= pending_.size()) {
                // No "WI" yet: keep a last "W", it may begin the next frame.
                const bool keepLast = !pending_.empty() && pending_.back() == 'W';
                start = pending_.size() - (keepLast ? 1 : 0);
            }
            pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(start));
            if (pending_.size() < kFrameLength) break;
            Bytes frame(pending_.begin(), pending_.begin() + kFrameLength);
            if (!FrameIsSound(frame)) {
                pending_.erase(pending_.begin());  // not a frame after all: look for the next "WI"
                continue;
            }
            pending_.erase(pending_.begin(), pending_.begin() + kFrameLength);
            if (auto answer = Answer(frame)) answers.push_back(std::move(*answer));
        }
        return answers;
    }

    std::string SaveState() const override {
        std::map<std::string, Bytes> blocks;
        for (const auto& [id, payload] : state_) blocks[std::to_string(id)] = payload;
        return BlocksToText(blocks);
    }

    bool LoadState(const std::string& text) override {
        const auto blocks = BlocksFromText(text);
        if (!blocks) return false;
        std::map<uint8_t, Bytes> loaded = FactoryState();
        for (const auto& [name, payload] : *blocks) {
            int id = -1;
            try {
                id = std::stoi(name);
            } catch (const std::exception&) {
                return false;
            }
            if (payload.size() != kPayloadLength || !loaded.count(static_cast<uint8_t>(id))) return false;
            loaded[static_cast<uint8_t>(id)] = payload;
        }
        state_ = std::move(loaded);
        return true;
    }

private:
    static bool FrameIsSound(const Bytes& f) {
        return f[3] == kPayloadLength && f[kFrameLength - 2] == 'S' && f[kFrameLength - 1] == 'E' &&
               f[kFrameLength - 3] == SumChecksum(f, 2, kFrameLength - 4);
    }

    std::optional<Bytes> Answer(const Bytes& frame) {
        const uint8_t id = frame[2];
        if (id == kCycleRequest) {
            if (frame[4] != kRequestSpecifiedMessage) return std::nullopt;
            const auto found = state_.find(frame[5]);
            if (found == state_.end()) return std::nullopt;
            return BuildFrame(found->first, found->second);
        }
        if (kWritableGroups.count(id)) {
            if (behaviour_.refuseWrites)
                return BuildFrame(kCommandResponse,
                                  Payload({{6, kStoredFaultCount}}, {{4, id}, {5, kResponseAbnormal}}));
            state_[id] = Bytes(frame.begin() + 4, frame.begin() + 4 + kPayloadLength);
            return BuildFrame(kCommandResponse,
                              Payload({{6, kStoredFaultCount}}, {{4, id}, {5, kResponseNormal}}));
        }
        return std::nullopt;
    }

    std::map<uint8_t, Bytes> state_;
    Bytes pending_;
};

}  // namespace

std::unique_ptr<SimController> MakeEv48400cSim() {
    return std::make_unique<Ev48400cSim>();
}

}  // namespace sim
