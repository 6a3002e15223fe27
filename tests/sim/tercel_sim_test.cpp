#include "sim/tercel_sim.h"

#include <gtest/gtest.h>

namespace {

using sim::Bytes;

// Commands built by hand from the frame layout, not with the family's codec.
Bytes Sealed(Bytes frame) {
    unsigned sum = 0;
    for (size_t i = 1; i < frame.size(); ++i) sum += frame[i];
    frame.push_back(static_cast<uint8_t>(-sum));
    return frame;
}

Bytes Read(uint16_t address) {
    return Sealed(
        {0x2B, 0x04, 0x05, 0x02, static_cast<uint8_t>(address), static_cast<uint8_t>(address >> 8), 0, 0});
}

Bytes Write(uint16_t address, uint16_t value) {
    return Sealed({0x2B, 0x05, 0x07, 0x02, static_cast<uint8_t>(address), static_cast<uint8_t>(address >> 8),
                   0, 0, static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)});
}

bool SumsToZero(const Bytes& answer) {
    unsigned sum = 0;
    for (size_t i = 1; i < answer.size(); ++i) sum += answer[i];
    return sum % 256 == 0;
}

TEST(TercelSim, AnswersTheIdentityRequest) {
    auto controller = sim::MakeTercelSim();
    const auto answers = controller->Receive({0x2B, 0xC0, 0x40});
    ASSERT_EQ(answers.size(), 1u);
    const Bytes& identity = answers[0];
    ASSERT_EQ(identity.size(), 39u);
    EXPECT_EQ(identity[0], 0x2B);
    EXPECT_EQ(identity[1] & 0x80, 0);
    EXPECT_NE(identity[3], 0x81);  // the byte that would end the PC's read early
    EXPECT_EQ(std::string(identity.begin() + 13, identity.begin() + 32), "TERCEL SIM 48V 450A");
    EXPECT_TRUE(SumsToZero(identity));
}

TEST(TercelSim, ReadsRegistersSplitAnyWayAndSkipsNoise) {
    auto controller = sim::MakeTercelSim();
    ASSERT_EQ(Read(255), (Bytes{0x2B, 0x04, 0x05, 0x02, 0xFF, 0x00, 0x00, 0x00, 0xF6}));
    Bytes noisy = {0x00, 0x13};
    for (const uint16_t address : {2878, 122}) {
        const Bytes r = Read(address);
        noisy.insert(noisy.end(), r.begin(), r.end());
    }
    EXPECT_TRUE(controller->Receive(Bytes(noisy.begin(), noisy.begin() + 6)).empty());
    const auto answers = controller->Receive(Bytes(noisy.begin() + 6, noisy.end()));
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0], (Bytes{0x2B, 0x00, 0x64, 0x19, 0x83}));  // 6500 = 0x1964
    EXPECT_EQ(answers[1], (Bytes{0x2B, 0x00, 0x12, 0x81, 0x6D}));  // the frame ID 0x8112
}

TEST(TercelSim, RefusesUnknownRegistersAndCommandsIgnoresBadChecksums) {
    auto controller = sim::MakeTercelSim();
    EXPECT_EQ(controller->Receive(Read(600)).at(0), (Bytes{0x2B, 0x80, 0x00, 0x00, 0x80}));
    EXPECT_EQ(controller->Receive(Write(600, 1)).at(0), (Bytes{0x2B, 0x80, 0x80}));
    EXPECT_EQ(controller->Receive(Sealed({0x2B, 0x01})).at(0), (Bytes{0x2B, 0x80, 0x80}));
    Bytes bad = Read(2878);
    bad.back() ^= 0x01;
    EXPECT_TRUE(controller->Receive(bad).empty());
    EXPECT_EQ(controller->Receive(Read(2878)).size(), 1u);
}

TEST(TercelSim, StoresWritesAndKeepsThemInItsState) {
    auto controller = sim::MakeTercelSim();
    EXPECT_EQ(controller->Receive(Write(2586, 4000)).at(0), (Bytes{0x2B, 0x00, 0x00}));
    EXPECT_EQ(controller->Receive(Read(2586)).at(0), (Bytes{0x2B, 0x00, 0xA0, 0x0F, 0x51}));
    EXPECT_NE(controller->SaveState().find("2586=0FA0\n"), std::string::npos);

    auto restored = sim::MakeTercelSim();
    ASSERT_TRUE(restored->LoadState(controller->SaveState()));
    EXPECT_EQ(restored->SaveState(), controller->SaveState());
    EXPECT_FALSE(restored->LoadState("600=0001\n"));  // a register this controller does not have
    EXPECT_FALSE(restored->LoadState("2586=0F\n"));   // not a 16-bit value
    EXPECT_FALSE(restored->LoadState("x2586=0FA0\n"));
    EXPECT_EQ(restored->SaveState(), controller->SaveState());
}

}  // namespace
