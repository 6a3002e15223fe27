#include "ev48400c/frame_codec.h"

#include <gtest/gtest.h>

#include "ev48400c/accelerator_pedal.h"
#include "ev48400c/cycle_request_pc2mcu.h"
#include "tests/ev48400c/test_frames.h"

namespace {

using ev48test::FixChecksum;
using ev48test::MakeFrame;

// The live-data request as the controller documentation shows it.
TEST(Ev48FrameCodec, BuildsTheDocumentedLiveDataRequest) {
    Frame request = {0x57, 0x49, 0x22, 0x30, 0x01, 0x29};
    request.resize(52, 0x00);
    request.insert(request.end(), {0x7C, 0x53, 0x45});
    EXPECT_EQ(
        EV48400C::CycleRequestPC2MCU(EV48400C::RequestCommand::RequestSpecifiedMessageData, 41).Serialize(),
        request);
}

TEST(Ev48FrameCodec, FrameCheck) {
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
    const auto altered = [](size_t position, uint8_t value) {
        Frame frame = MakeFrame(0x35, {{4, 1}});
        frame[position] = value;
        return frame;
    };
    const struct {
        const char* what;
        Frame frame;
        bool valid;
    } cases[] = {
        {"well formed", MakeFrame(0x35, {{4, 2}}), true},
        {"54 bytes with matching length and checksum", shorter, false},
        {"56 bytes with the usual length byte", longer, false},
        {"56 bytes with length byte 49", longerWithLength, true},
        {"another message's identifier", MakeFrame(0x38), false},
        {"bad start", altered(1, 'J'), false},
        {"bad end", altered(54, 'F'), false},
        {"bad checksum", altered(4, 2), false},
        {"empty", Frame{}, false},
    };
    EV48400C::AcceleratorPedal pedal;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(pedal.IsValid(c.frame), c.valid);
    }
}

}  // namespace
