#include "sim/fj_sim.h"

#include <gtest/gtest.h>

namespace {

using sim::Bytes;

// Packets written out by hand; their CRCs are worked by hand as well, not by the family's codec.
const Bytes kRead0100 = {0xEB, 0x90, 0x01, 0x06, 0x04, 0x01, 0x00, 0x00, 0x00, 0x9A, 0xFB};
const Bytes kAck0100 = {0xEB, 0x90, 0x01, 0x06, 0x04, 0x01, 0x00, 0xE7, 0x07, 0xA8, 0xF1};  // 2023
const Bytes kReadError2 = {0xEB, 0x90, 0x01, 0x86, 0x01, 0x02, 0x60, 0x60};

TEST(FjSim, AnswersReadsSplitAnyWayAndSkipsNoise) {
    auto controller = sim::MakeFjSim();
    Bytes noisy = {0x00, 0xEB, 0x13, 0x90};
    noisy.insert(noisy.end(), kRead0100.begin(), kRead0100.end());
    EXPECT_TRUE(controller->Receive(Bytes(noisy.begin(), noisy.begin() + 6)).empty());
    const auto answers = controller->Receive(Bytes(noisy.begin() + 6, noisy.end()));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0], kAck0100);
}

TEST(FjSim, AnswersWhatItCannotServeWithErrorPackets) {
    struct Case {
        const char* what;
        Bytes request;
        Bytes answer;
    };
    const Case cases[] = {
        {"unknown address", {0xEB, 0x90, 0x01, 0x06, 0x04, 0x02, 0x00, 0x00, 0x00, 0xDE, 0xFB}, kReadError2},
        {"bad CRC",
         {0xEB, 0x90, 0x01, 0x06, 0x04, 0x01, 0x00, 0x00, 0x00, 0x9A, 0xFA},
         {0xEB, 0x90, 0x01, 0x86, 0x01, 0x05, 0xA2, 0x21}},
        {"write to an unknown address",
         {0xEB, 0x90, 0x01, 0x07, 0x04, 0x02, 0x00, 0x00, 0x00, 0x0F, 0xFA},
         {0xEB, 0x90, 0x01, 0x87, 0x01, 0x02, 0xA0, 0x31}},
        {"unknown command",
         {0xEB, 0x90, 0x01, 0x08, 0x04, 0x01, 0x00, 0x00, 0x00, 0xB4, 0xFA},
         {0xEB, 0x90, 0x01, 0x88, 0x01, 0x01, 0xA2, 0x41}},
        {"short read",
         {0xEB, 0x90, 0x01, 0x06, 0x03, 0x01, 0x00, 0x00, 0x4E, 0xD8},
         {0xEB, 0x90, 0x01, 0x86, 0x01, 0x04, 0x62, 0xE0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto controller = sim::MakeFjSim();
        const auto answers = controller->Receive(c.request);
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_EQ(answers[0], c.answer);
    }
}

TEST(FjSim, StoresAWriteEchoesItAndKeepsItInItsState) {
    auto controller = sim::MakeFjSim();
    const Bytes write = {0xEB, 0x90, 0x01, 0x07, 0x04, 0x0D, 0x1F, 0xA0, 0x0F, 0xD9, 0xF0};  // 0D:1F = 4000
    EXPECT_EQ(controller->Receive(write).at(0), write);  // the acknowledge repeats the request
    const Bytes read = {0xEB, 0x90, 0x01, 0x06, 0x04, 0x0D, 0x1F, 0x00, 0x00, 0x0C, 0xC9};
    EXPECT_EQ(controller->Receive(read).at(0),
              (Bytes{0xEB, 0x90, 0x01, 0x06, 0x04, 0x0D, 0x1F, 0xA0, 0x0F, 0x08, 0xF1}));

    const std::string state = controller->SaveState();
    EXPECT_NE(state.find("0D:1F=0FA0\n"), std::string::npos);
    EXPECT_NE(state.find("01:00=07E7\n"), std::string::npos);  // firmware of 2023
    EXPECT_NE(state.find("13:3D=0000\n"), std::string::npos);  // a software type
    auto restored = sim::MakeFjSim();
    ASSERT_TRUE(restored->LoadState(state));
    EXPECT_EQ(restored->SaveState(), state);
}

}  // namespace
