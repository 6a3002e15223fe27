// A simulated FJ controller: 11-byte "EB 90" packets at 19200 bit/s that read or write one 16-bit value
// by group and index. Known addresses are answered with an acknowledge (a write is stored and its
// value echoed), unknown ones with an invalid-parameter error, a packet with a bad CRC with a CRC
// error. Its state is the whole address table: an address missing from a state file is unknown.
#include "sim/fj_sim.h"

#include <cstdio>
#include <map>

#include "sim/state_text.h"

namespace sim {

namespace {

constexpr uint8_t kSoiFirst = 0xEB;
constexpr uint8_t kSoiSecond = 0x90;
constexpr uint8_t kAddress = 0x01;
constexpr size_t kOverhead = 7;
constexpr uint8_t kValueLength = 4;
// Longer than any packet of the protocol: a LEN beyond it means the "EB 90" was noise.
constexpr uint8_t kLongestData = 16;
constexpr uint8_t kRead = 0x06;
constexpr uint8_t kWrite = 0x07;
constexpr uint8_t kErrorBit = 0x80;
constexpr uint8_t kCommandNumberError = 1;
constexpr uint8_t kInvalidParameter = 2;
constexpr uint8_t kLengthError = 4;
constexpr uint8_t kCrcError = 5;
constexpr uint8_t kWriteFail = 6;
constexpr unsigned kLastGroup = 0xCC;
constexpr unsigned kLastIndex = 0x3F;

using Table = std::map<uint16_t, uint16_t>;  // group << 8 | index -> value

uint16_t Key(unsigned group, unsigned index) {
    return static_cast<uint16_t>(group << 8 | index);
}

uint16_t Crc16(const uint8_t* data, size_t length) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}

Bytes Packet(uint8_t cid, const Bytes& data) {
    Bytes packet = {kSoiFirst, kSoiSecond, kAddress, cid, static_cast<uint8_t>(data.size())};
    packet.insert(packet.end(), data.begin(), data.end());
    const uint16_t crc = Crc16(packet.data() + 2, packet.size() - 2);
    packet.push_back(static_cast<uint8_t>(crc >> 8));
    packet.push_back(static_cast<uint8_t>(crc & 0xFF));
    return packet;
}

Bytes Acknowledge(uint8_t cid, uint16_t key, uint16_t value) {
    return Packet(cid, {static_cast<uint8_t>(key >> 8), static_cast<uint8_t>(key & 0xFF),
                        static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>(value >> 8)});
}

Bytes Error(uint8_t cid, uint8_t code) {
    return Packet(static_cast<uint8_t>(cid | kErrorBit), {code});
}

struct Value {
    unsigned group;
    unsigned index;
    uint16_t value;
};

// A cart at rest on its pack, firmware of March 2023, every setting inside its limits, two faults active
// and three in the history.
const Value kFactory[] = {
    // firmware release year, month, day and the live values
    {0x01, 0x00, 2023},
    {0x01, 0x01, 3},
    {0x01, 0x02, 15},
    {0x01, 0x0A, 510},
    {0x01, 0x0B, 0},
    {0x01, 0x0F, 512},
    {0x01, 0x12, 0},
    {0x01, 0x13, 0},
    {0x01, 0x14, 0},
    {0x01, 0x18, 28},
    {0x01, 0x19, 31},
    {0x01, 0x1A, 1210},
    {0x01, 0x1B, 498},
    {0x01, 0x37, 35},
    {0x01, 0x38, 85},
    {0x01, 0x3C, 2},
    {0x01, 0x3D, 0},
    {0x01, 0x3E, 3},
    {0x01, 0x3F, 17},
    // motor and hill settings
    {0x0B, 0x1D, 0},
    {0x0B, 0x1E, 1},
    {0x0B, 0x21, 1200},
    {0x0B, 0x2B, 1},
    {0x0B, 0x3C, 1},
    {0x0B, 0x3D, 3000},
    {0x0B, 0x3E, 100},
    {0x0B, 0x3F, 300},
    // accelerator, creep, wheel and gearbox; the maximum accelerator voltage and the ratio are in tenths
    {0x0C, 0x22, 500},
    {0x0C, 0x23, 45000},
    {0x0C, 0x30, 1},
    {0x0C, 0x33, 150},
    {0x0C, 0x35, 560},
    {0x0C, 0x39, 120},
    {0x0C, 0x3F, 104},
    // energy mode, current faults (level, code, data) and the gear speeds and accelerations
    {0x0D, 0x02, 1},
    {0x0D, 0x03, 3},
    {0x0D, 0x04, 17},
    {0x0D, 0x05, 258},
    {0x0D, 0x06, 20},
    {0x0D, 0x07, 42},
    {0x0D, 0x08, 7},
    {0x0D, 0x1F, 4500},
    {0x0D, 0x20, 2000},
    {0x0D, 0x21, 800},
    {0x0D, 0x22, 600},
    {0x0D, 0x31, 2500},
    {0x0D, 0x32, 1500},
    // historical fault count, then records of level, code, times and data
    {0x0E, 0x0C, 3},
    {0x0E, 0x0D, 2},
    {0x0E, 0x0E, 11},
    {0x0E, 0x0F, 4},
    {0x0E, 0x10, 0},
    {0x0E, 0x11, 5},
    {0x0E, 0x12, 23},
    {0x0E, 0x13, 1},
    {0x0E, 0x14, 300},
    {0x0E, 0x15, 1},
    {0x0E, 0x16, 17},
    {0x0E, 0x17, 2},
    {0x0E, 0x18, 9},
    // torque, partition speeds, decelerations and accelerations
    {0x0F, 0x13, 100},
    {0x0F, 0x14, 100},
    {0x0F, 0x15, 95},
    {0x0F, 0x16, 90},
    {0x0F, 0x17, 85},
    {0x0F, 0x18, 80},
    {0x0F, 0x19, 75},
    {0x0F, 0x1A, 70},
    {0x0F, 0x1C, 500},
    {0x0F, 0x1D, 1000},
    {0x0F, 0x1E, 1500},
    {0x0F, 0x1F, 2000},
    {0x0F, 0x20, 2500},
    {0x0F, 0x21, 3000},
    {0x0F, 0x22, 3500},
    {0x0F, 0x23, 1500},
    {0x0F, 0x24, 1400},
    {0x0F, 0x25, 1300},
    {0x0F, 0x26, 1200},
    {0x0F, 0x27, 1100},
    {0x0F, 0x28, 1000},
    {0x0F, 0x29, 900},
    {0x0F, 0x2A, 800},
    {0x0F, 0x2B, 1200},
    {0x0F, 0x2C, 1100},
    {0x0F, 0x2D, 1000},
    {0x0F, 0x2E, 900},
    {0x0F, 0x2F, 800},
    {0x0F, 0x30, 700},
    {0x0F, 0x31, 600},
    {0x0F, 0x39, 900},
    {0x0F, 0x3A, 850},
    {0x0F, 0x3B, 800},
    {0x0F, 0x3C, 750},
    {0x0F, 0x3D, 700},
    {0x0F, 0x3E, 650},
    {0x0F, 0x3F, 600},
    // brake output and its release delay
    {0x10, 0x05, 1},
    {0x10, 0x06, 200},
    // identification: a sightseeing vehicle's software on the larger MCU
    {0x13, 0x02, 1},
    {0x13, 0x07, 17},
    {0x13, 0x08, 2},
    {0x13, 0x09, 3},
    {0x13, 0x0A, 12},
    {0x13, 0x0B, 1},
    {0x13, 0x0E, 2305},
    {0x13, 0x0F, 1234},
    {0x13, 0x10, 1},
    {0x13, 0x1C, 5},
    {0x13, 0x1D, 1},
    {0x13, 0x39, 3},
    {0x13, 0x3A, 0},
    {0x13, 0x3B, 2},
    {0x13, 0x3C, 108},
    {0x13, 0x3D, 0},
    {0x13, 0x3E, 4660},
    {0x13, 0x3F, 100},
};

Table FactoryTable() {
    Table table;
    // Fault records the controller keeps are there even when empty.
    for (unsigned index = 0x03; index <= 0x1D; ++index) table[Key(0x0D, index)] = 0;
    for (unsigned index = 0x0C; index <= 0x34; ++index) table[Key(0x0E, index)] = 0;
    for (const auto& v : kFactory) table[Key(v.group, v.index)] = v.value;
    return table;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// "0D:1F" to its key; -1 for anything else or an address outside the controller's table.
int KeyFromName(const std::string& name) {
    if (name.size() != 5 || name[2] != ':') return -1;
    int digits[4];
    const size_t positions[4] = {0, 1, 3, 4};
    for (int i = 0; i < 4; ++i)
        if ((digits[i] = HexDigit(name[positions[i]])) < 0) return -1;
    const unsigned group = static_cast<unsigned>(digits[0] * 16 + digits[1]);
    const unsigned index = static_cast<unsigned>(digits[2] * 16 + digits[3]);
    if (group > kLastGroup || index > kLastIndex) return -1;
    return Key(group, index);
}

class FjSim final : public SimController {
public:
    FjSim() : table_(FactoryTable()) {}

    std::string Family() const override { return "FJ"; }
    uint32_t BaudRate() const override { return 19200; }

    std::vector<Bytes> Receive(const Bytes& bytes) override {
        pending_.insert(pending_.end(), bytes.begin(), bytes.end());
        std::vector<Bytes> answers;
        while (true) {
            // Resynchronise on "EB 90"; a lone EB at the end may begin the next packet.
            size_t start = 0;
            while (start + 1 < pending_.size() &&
                   !(pending_[start] == kSoiFirst && pending_[start + 1] == kSoiSecond))
                ++start;
            if (start + 1 >= pending_.size())
                start = pending_.size() - (!pending_.empty() && pending_.back() == kSoiFirst ? 1 : 0);
            pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(start));
            if (pending_.size() < 5) break;
            const uint8_t dataLength = pending_[4];
            if (dataLength > kLongestData) {
                pending_.erase(pending_.begin());
                continue;
            }
            const size_t length = kOverhead + dataLength;
            if (pending_.size() < length) break;
            const Bytes packet(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(length));
            pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(length));
            answers.push_back(Answer(packet));
        }
        return answers;
    }

    std::string SaveState() const override {
        std::map<std::string, Bytes> blocks;
        for (const auto& [key, value] : table_) {
            char name[6];
            std::snprintf(name, sizeof name, "%02X:%02X", unsigned{key} >> 8, unsigned{key} & 0xFFu);
            blocks[name] = {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value & 0xFF)};
        }
        return BlocksToText(blocks);
    }

    bool LoadState(const std::string& text) override {
        const auto blocks = BlocksFromText(text);
        if (!blocks) return false;
        Table loaded;
        for (const auto& [name, bytes] : *blocks) {
            const int key = KeyFromName(name);
            if (key < 0 || bytes.size() != 2) return false;
            loaded[static_cast<uint16_t>(key)] = static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
        }
        table_ = std::move(loaded);
        return true;
    }

private:
    Bytes Answer(const Bytes& packet) {
        const uint8_t cid = packet[3];
        const size_t dataLength = packet[4];
        const uint16_t crc = static_cast<uint16_t>(packet[5 + dataLength] << 8 | packet[6 + dataLength]);
        if (Crc16(packet.data() + 2, dataLength + 3) != crc) return Error(cid, kCrcError);
        if (cid != kRead && cid != kWrite) return Error(cid, kCommandNumberError);
        if (dataLength != kValueLength) return Error(cid, kLengthError);
        const uint16_t key = Key(packet[5], packet[6]);
        const auto found = table_.find(key);
        if (found == table_.end()) return Error(cid, kInvalidParameter);
        if (cid == kWrite && behaviour_.refuseWrites) return Error(cid, kWriteFail);
        if (cid == kWrite) found->second = static_cast<uint16_t>(packet[7] | packet[8] << 8);
        return Acknowledge(cid, key, found->second);
    }

    Table table_;
    Bytes pending_;
};

}  // namespace

std::unique_ptr<SimController> MakeFjSim() {
    return std::make_unique<FjSim>();
}

}  // namespace sim
