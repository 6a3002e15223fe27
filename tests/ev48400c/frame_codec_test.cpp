#include "ev48400c/frame_codec.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ev48400c/accelerator_pedal.h"
#include "ev48400c/motor_parameters.h"
#include "tests/ev48400c/test_frames.h"
#include "tests/support/log_capture.h"

namespace {

using ev48test::FixChecksum;
using ev48test::MakeFrame;

TEST(Ev48FrameCodec, ChecksumIsTheLowByteOfTheSum) {
    // Identifier and length give 0x65; seventeen 0xFF and one 0xE0 bring bytes 2 to 51 to 0x1234.
    Frame frame = MakeFrame(0x35);
    for (size_t i = 4; i < 21; ++i) frame[i] = 0xFF;
    frame[21] = 0xE0;
    frame[52] = 0x34;
    EV48400C::AcceleratorPedal pedal;
    ASSERT_TRUE(pedal.Parse(frame));
    EXPECT_EQ(pedal.Serialize()[52], 0x34);
    frame[52] = 0x35;
    EXPECT_FALSE(pedal.IsValid(frame));
}

TEST(Ev48FrameCodec, FrameCheck) {
    struct Case {
        const char* what;
        Frame frame;
        bool valid;
    };
    Frame shorter = MakeFrame(0x35);
    shorter.erase(shorter.begin() + 40);
    shorter[3] = 47;
    FixChecksum(shorter);
    Frame longer = MakeFrame(0x35);
    longer.insert(longer.begin() + 40, 0);
    FixChecksum(longer);
    Frame longerWithLength = longer;
    longerWithLength[3] = 49;
    FixChecksum(longerWithLength);
    Frame badStart = MakeFrame(0x35);
    badStart[1] = 'J';
    Frame badEnd = MakeFrame(0x35);
    badEnd[54] = 'F';
    Frame badChecksum = MakeFrame(0x35, {{4, 1}});
    badChecksum[4] = 2;
    const Case cases[] = {
        {"well formed", MakeFrame(0x35, {{4, 2}}), true},
        {"54 bytes with matching length and checksum", shorter, false},
        {"56 bytes with the usual length byte", longer, false},
        {"56 bytes with length byte 49", longerWithLength, true},
        {"another message's identifier", MakeFrame(0x38), false},
        {"bad start", badStart, false},
        {"bad end", badEnd, false},
        {"bad checksum", badChecksum, false},
        {"empty", Frame{}, false},
    };
    EV48400C::AcceleratorPedal pedal;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(pedal.IsValid(c.frame), c.valid);
    }
    EXPECT_TRUE(EV48400C::MotorParameters().IsValid(MakeFrame(0x38)));
}

TEST(Ev48FrameCodec, WordsAreLittleEndianAndZeroPastTheEnd) {
    testsupport::LogCapture log;
    const Frame frame = {0x57, 0x49, 0x34, 0x12, 0xCD};
    EXPECT_EQ(EV48400C::ReadWord(frame, 2), 0x1234);
    EXPECT_TRUE(log.Messages().empty());
    EXPECT_EQ(EV48400C::ReadWord(frame, 4), 0);
    EXPECT_THAT(log.Messages(), testing::ElementsAre("Offset out of bounds"));
}

TEST(Ev48FrameCodec, SerializeLogsTheFrameUnderTheClassName) {
    testsupport::LogCapture log;
    EV48400C::AcceleratorPedal().Serialize();
    std::string expected = "[AcceleratorPedal] 0x57 0x49 0x35 0x30";
    for (int i = 0; i < 48; ++i) expected += " 0x00";
    expected += " 0x65 0x53 0x45";
    EXPECT_THAT(log.Messages(), testing::ElementsAre(expected));
}

}  // namespace
