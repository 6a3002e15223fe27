// The simulated controllers, checked against frames built here by hand (not with the families' codecs).
#include <gtest/gtest.h>

#include "sim/ev48400c_sim.h"
#include "sim/fault_injector.h"
#include "sim/fj_sim.h"
#include "sim/tercel_sim.h"

namespace {

using sim::Bytes;

// EV48-400-C: "WI", identifier, length 48, the payload, the low byte of the sum from the identifier, "SE".
Bytes Ev48Frame(uint8_t id, Bytes payload) {
    payload.resize(48, 0);
    Bytes f = {0x57, 0x49, id, 0x30};
    f.insert(f.end(), payload.begin(), payload.end());
    unsigned sum = 0;
    for (size_t i = 2; i < f.size(); ++i) sum += f[i];
    f.insert(f.end(), {static_cast<uint8_t>(sum), 0x53, 0x45});
    return f;
}

Bytes Ev48Request(uint8_t id) {
    return Ev48Frame(34, {1, id});
}

// Tercel: the SOM, then the command, sealed with the negated sum of the bytes after the SOM.
Bytes Sealed(Bytes frame) {
    unsigned sum = 0;
    for (size_t i = 1; i < frame.size(); ++i) sum += frame[i];
    frame.push_back(static_cast<uint8_t>(-sum));
    return frame;
}

Bytes TercelRead(uint16_t address) {
    return Sealed(
        {0x2B, 0x04, 0x05, 0x02, static_cast<uint8_t>(address), static_cast<uint8_t>(address >> 8), 0, 0});
}

Bytes TercelWrite(uint16_t address, uint16_t value) {
    return Sealed({0x2B, 0x05, 0x07, 0x02, static_cast<uint8_t>(address), static_cast<uint8_t>(address >> 8),
                   0, 0, static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)});
}

struct Exchange {
    const char* what;
    Bytes request;
    std::vector<Bytes> answers;
};

struct SimCase {
    const char* family;
    std::unique_ptr<sim::SimController> (*make)();
    std::vector<Exchange> exchanges;  // in order, on one controller
    const char* savedLine;            // in its state after the exchanges
    std::vector<const char*> badStates;
};

std::vector<SimCase> Cases() {
    const Bytes ev48Write = Ev48Frame(51, {0, 0, 0xF4, 0x01, 0x64, 0x00});  // tire 500 mm, ratio 10.0
    Bytes ev48BadSum = Ev48Request(41);
    ev48BadSum[52] ^= 0xFF;
    Bytes tercelBadSum = TercelRead(2878);
    tercelBadSum.back() ^= 0x01;
    // FJ packets and their CRCs worked by hand.
    const Bytes fjWrite = {0xEB, 0x90, 0x01, 0x07, 0x04, 0x0D, 0x1F, 0xA0, 0x0F, 0xD9, 0xF0};  // 0D:1F = 4000
    return {
        {"EV48-400-C",
         sim::MakeEv48400cSim,
         {
             {"a written group, acknowledged with the three faults stored",
              ev48Write,
              {Ev48Frame(254, {51, 1, 3})}},
             {"the group read back", Ev48Request(51), {ev48Write}},
             {"bad checksum", ev48BadSum, {}},
             {"battery pack: not this controller", Ev48Request(64), {}},
         },
         "51=0000F4016400",
         {"51=00FF\n", "x=zz\n"}},
        {"FJ",
         sim::MakeFjSim,
         {
             {"read of the firmware year",
              {0xEB, 0x90, 0x01, 0x06, 0x04, 0x01, 0x00, 0x00, 0x00, 0x9A, 0xFB},
              {{0xEB, 0x90, 0x01, 0x06, 0x04, 0x01, 0x00, 0xE7, 0x07, 0xA8, 0xF1}}},
             {"unknown address",
              {0xEB, 0x90, 0x01, 0x06, 0x04, 0x02, 0x00, 0x00, 0x00, 0xDE, 0xFB},
              {{0xEB, 0x90, 0x01, 0x86, 0x01, 0x02, 0x60, 0x60}}},
             {"bad CRC",
              {0xEB, 0x90, 0x01, 0x06, 0x04, 0x01, 0x00, 0x00, 0x00, 0x9A, 0xFA},
              {{0xEB, 0x90, 0x01, 0x86, 0x01, 0x05, 0xA2, 0x21}}},
             {"a write, acknowledged by its echo", fjWrite, {fjWrite}},
             {"the value read back",
              {0xEB, 0x90, 0x01, 0x06, 0x04, 0x0D, 0x1F, 0x00, 0x00, 0x0C, 0xC9},
              {{0xEB, 0x90, 0x01, 0x06, 0x04, 0x0D, 0x1F, 0xA0, 0x0F, 0x08, 0xF1}}},
         },
         "0D:1F=0FA0\n",
         {"0D:1F=0F\n", "x=zz\n"}},
        {"Tercel",
         sim::MakeTercelSim,
         {
             {"read of 2878: 6500", TercelRead(2878), {{0x2B, 0x00, 0x64, 0x19, 0x83}}},
             {"unknown register", TercelRead(600), {{0x2B, 0x80, 0x00, 0x00, 0x80}}},
             {"write to an unknown register", TercelWrite(600, 1), {{0x2B, 0x80, 0x80}}},
             {"bad checksum", tercelBadSum, {}},
             {"a write", TercelWrite(2586, 4000), {{0x2B, 0x00, 0x00}}},
             {"the value read back", TercelRead(2586), {{0x2B, 0x00, 0xA0, 0x0F, 0x51}}},
         },
         "2586=0FA0\n",
         {"600=0001\n", "2586=0F\n", "x2586=0FA0\n"}},
    };
}

TEST(SimulatedControllers, AnswerAsTheirControllerAndKeepWritesInTheirState) {
    for (const auto& c : Cases()) {
        SCOPED_TRACE(c.family);
        auto controller = c.make();
        for (const auto& exchange : c.exchanges)
            EXPECT_EQ(controller->Receive(exchange.request), exchange.answers) << exchange.what;
        const std::string state = controller->SaveState();
        EXPECT_NE(state.find(c.savedLine), std::string::npos) << state;

        auto restored = c.make();
        ASSERT_TRUE(restored->LoadState(state));
        EXPECT_EQ(restored->SaveState(), state);
        for (const char* bad : c.badStates) EXPECT_FALSE(restored->LoadState(bad)) << bad;
        EXPECT_EQ(restored->SaveState(), state);
    }
}

TEST(FaultInjector, SameSeedSameFaults) {
    const Bytes answer(55, 0x11);
    const std::pair<sim::FaultKind, size_t> lengths[] = {{sim::FaultKind::Silent, 0},
                                                         {sim::FaultKind::Drop, 54},
                                                         {sim::FaultKind::Short, 27},
                                                         {sim::FaultKind::Garble, 55}};
    for (const auto& [kind, length] : lengths)
        EXPECT_EQ(sim::FaultInjector(kind, 1.0, 7).Apply(answer).size(), length);
    sim::FaultInjector a(sim::FaultKind::Garble, 0.5, 42), b(sim::FaultKind::Garble, 0.5, 42);
    int garbled = 0;
    for (int i = 0; i < 200; ++i) {
        const Bytes x = a.Apply(answer);
        EXPECT_EQ(x, b.Apply(answer));
        garbled += x != answer;
    }
    EXPECT_GT(garbled, 50);
    EXPECT_LT(garbled, 150);
}

}  // namespace
