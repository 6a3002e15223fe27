// Each request starts on a clean line, and the fault list comes only from a sound frame of its own.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/imessage.h"
#include "ev48400c/ev48400c_driver.h"
#include "ev48400c/message_store.h"
#include "serial/serial_port.h"
#include "tests/fj/posix/scripted_line.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/families.h"
#include "tests/support/log_capture.h"

namespace {

Frame SoundFrame(uint8_t id, std::initializer_list<std::pair<size_t, uint8_t>> bytes = {}) {
    Frame frame(55, 0);
    frame[0] = 'W';
    frame[1] = 'I';
    frame[2] = id;
    frame[3] = 48;
    for (const auto& [position, value] : bytes) frame[position] = value;
    frame[52] = SumChecksum(frame, 2, 51);
    frame[53] = 'S';
    frame[54] = 'E';
    return frame;
}

class Ev48400cCleanRequest : public testing::Test {
protected:
    void SetUp() override { testsupport::ResetFamilies(); }
    void TearDown() override {
        SerialPort::Instance().Close();
        testsupport::ResetFamilies();
    }
    testsupport::FakePrompter prompter_;
    EV48400C::EV48400C driver_;
};

// Twenty bytes of an answer that came too late wait on the line; read with the next answer they would
// spoil it and the one after.
TEST_F(Ev48400cCleanRequest, LateBytesOnTheLineAreThrownAwayFirst) {
    testsupport::ScriptedLine line;
    ASSERT_TRUE(line.Ok());
    ASSERT_TRUE(SerialPort::Instance().Open(line.Device(), driver_.GetBaudRate()));
    const Frame late = SoundFrame(EV48400C::kMileageId, {{6, 0x11}});
    line.Send(Frame(late.begin() + 35, late.end()));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    line.Answer(55, SoundFrame(EV48400C::kMileageId, {{6, 0xC9}, {7, 0x01}}));
    testsupport::LogCapture log;
    EXPECT_TRUE(driver_.ReadMessage(EV48400C::kMileageId));
    line.Join();
    ASSERT_TRUE(EV48400C::Messages().mileage);
    EXPECT_EQ(EV48400C::Messages().mileage->Serialize()[6], 0xC9);
    size_t requests = 0;
    for (const auto& l : log.Messages()) requests += l.rfind("[TX] ", 0) == 0;
    EXPECT_EQ(requests, 1u);
}

TEST_F(Ev48400cCleanRequest, FaultListComesOnlyFromASoundFrameOfItsOwn) {
    const Frame flags = SoundFrame(EV48400C::kFaultListId, {{4, 0x01}});
    Frame badSum = flags;
    badSum[52] ^= 0xFF;
    Frame otherId = SoundFrame(EV48400C::kFirmwareVersionId, {{4, 0x01}});
    Frame twelve(flags.begin(), flags.begin() + 12);
    const struct {
        const char* what;
        Frame frame;
        bool taken;
    } cases[] = {
        {"sound", flags, true},
        {"bad checksum", badSum, false},
        {"another message", otherId, false},
        {"cut short", twelve, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EV48400C::ResetFamily();
        EXPECT_EQ(EV48400C::ParseInto(EV48400C::Messages().faultList, c.frame), c.taken);
        EXPECT_EQ(static_cast<bool>(EV48400C::Messages().faultList), c.taken);
    }
}

}  // namespace
