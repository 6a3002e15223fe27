#include "serial/serial_port.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/serial/fake_serial_backend.h"
#include "tests/support/log_capture.h"

using serialtest::FakePortRig;
using serialtest::ScriptedRead;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

WriteResult Outcome(WriteResult::Kind kind, size_t written, uint32_t code = 0, std::string textForCode = {}) {
    WriteResult result;
    result.kind = kind;
    result.written = written;
    result.code = code;
    result.errorText = std::move(textForCode);
    return result;
}

}  // namespace

TEST(SerialPortOpen, ConfiguresTheLineThenTheTimeouts) {
    testsupport::LogCapture log;
    FakePortRig rig;
    EXPECT_TRUE(rig.port.Open("COM3", 19200));
    EXPECT_TRUE(rig.port.IsOpen());
    EXPECT_THAT(rig.events, ElementsAre("open COM3", "line 7 19200", "timeouts 7 50"));
    EXPECT_EQ(rig.backend->timeouts, OpenTimeouts());
    EXPECT_THAT(log.Messages(), ElementsAre("COM port opened and configured successfully."));
}

TEST(SerialPortOpen, ExplainsWhyTheDeviceWouldNotOpen) {
    struct Case {
        OpenResult result;
        const char* firstLine;
        const char* secondLine;
    };
    const Case kCases[] = {
        {{kInvalidSerialHandle, 2, OpenFailure::NotFound},
         "Failed to open COM9: Error 2",
         "The specified port does not exist."},
        {{kInvalidSerialHandle, 5, OpenFailure::AccessDenied},
         "Failed to open COM9: Error 5",
         "The port is already in use or access is denied."},
        {{kInvalidSerialHandle, 31, OpenFailure::Other},
         "Failed to open COM9: Error 31",
         "An unexpected error occurred."},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.firstLine);
        testsupport::LogCapture log;
        FakePortRig rig;
        rig.backend->opens.push_back(c.result);
        EXPECT_FALSE(rig.port.Open("COM9", 38400));
        EXPECT_FALSE(rig.port.IsOpen());
        EXPECT_THAT(log.Messages(), ElementsAre(c.firstLine, c.secondLine));
        EXPECT_THAT(rig.events, ElementsAre("open COM9"));
    }
}

TEST(SerialPortOpen, ClosesTheDeviceWhenSetupFails) {
    struct Case {
        LineSetup line;
        bool timeoutsAccepted;
        const char* message;
        std::vector<std::string> events;
    };
    const Case kCases[] = {
        {LineSetup::GetStateFailed, true, "GetCommState failed.", {"open COM3", "line 7 115200", "close 7"}},
        {LineSetup::SetStateFailed, true, "SetCommState failed.", {"open COM3", "line 7 115200", "close 7"}},
        {LineSetup::Applied,
         false,
         "SetCommTimeouts failed.",
         {"open COM3", "line 7 115200", "timeouts 7 50", "close 7"}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.message);
        testsupport::LogCapture log;
        FakePortRig rig;
        rig.backend->lineSetup = c.line;
        rig.backend->timeoutsAccepted = c.timeoutsAccepted;
        EXPECT_FALSE(rig.port.Open("COM3", 115200));
        EXPECT_FALSE(rig.port.IsOpen());
        EXPECT_EQ(rig.events, c.events);
        EXPECT_THAT(log.Messages(), ElementsAre(c.message));
    }
}

TEST(SerialPortOpen, ReleasesAPortThatIsStillOpen) {
    testsupport::LogCapture log;
    FakePortRig rig;
    ASSERT_TRUE(rig.port.Open("COM3", 19200));
    ASSERT_TRUE(rig.port.Open("COM4", 38400));
    EXPECT_THAT(rig.events, ElementsAre("open COM3", "line 7 19200", "timeouts 7 50", "purge 7", "close 7",
                                        "open COM4", "line 8 38400", "timeouts 8 50"));
    EXPECT_EQ(rig.port.PortName(), "COM4");
    EXPECT_EQ(rig.port.BaudRate(), 38400u);
}

TEST(SerialPortClose, ClosesOnceAndShutdownOfAClosedPortIsSilent) {
    testsupport::LogCapture log;
    FakePortRig rig;
    ASSERT_TRUE(rig.port.Open("COM3", 19200));
    log.Clear();
    rig.events.clear();
    rig.port.Close();
    rig.port.Close();
    EXPECT_THAT(rig.events, ElementsAre("purge 7", "close 7"));
    EXPECT_THAT(log.Messages(), ElementsAre("COM port closed"));
    log.Clear();
    rig.port.Shutdown();
    EXPECT_THAT(log.Messages(), IsEmpty());
    EXPECT_THAT(rig.events, ElementsAre("purge 7", "close 7"));
}

TEST(SerialPortWrite, RefusesWithoutPortOrDataAndLeavesThePortAlone) {
    testsupport::LogCapture log;
    FakePortRig rig;
    const uint8_t request[] = {0x01, 0x02};
    EXPECT_FALSE(rig.port.Write(nullptr, 0));
    EXPECT_THAT(log.Messages(), ElementsAre("COM port not open"));
    ASSERT_TRUE(rig.port.Open("COM3", 19200));
    rig.events.clear();
    log.Clear();
    EXPECT_FALSE(rig.port.Write(request, 0));
    EXPECT_FALSE(rig.port.Write(nullptr, 2));
    EXPECT_THAT(log.Messages(), ElementsAre("Write called with no data", "Write called with no data"));
    EXPECT_THAT(rig.events, IsEmpty());
}

TEST(SerialPortWrite, RecoversFromEachKindOfFailureByReopening) {
    struct Case {
        const char* what;
        WriteResult result;
        std::string firstLine;
    };
    const Case kCases[] = {
        {"partial", Outcome(WriteResult::Kind::Completed, 5), "Partial write. Expected 11 bytes, wrote 5"},
        {"refused", Outcome(WriteResult::Kind::Failed, 0, 22, "The device does not recognize the command."),
         "Write failed. Error 22: The device does not recognize the command."},
        {"stalled", Outcome(WriteResult::Kind::TimedOut, 3, kWaitTimedOut),
         "Write timeout or wait failed (code 258). Attempting port reopen."},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        testsupport::LogCapture log;
        FakePortRig rig;
        ASSERT_TRUE(rig.port.Open("COM3", 19200));
        rig.events.clear();
        log.Clear();
        rig.backend->writes.push_back(c.result);
        const uint8_t request[11] = {};
        EXPECT_FALSE(rig.port.Write(request, sizeof request));
        EXPECT_TRUE(rig.port.IsOpen());
        EXPECT_THAT(log.Messages(), ElementsAre(c.firstLine, "Reopen COM Port COM3 19200", "COM port closed",
                                                "COM port opened and configured successfully."));
        EXPECT_THAT(rig.events, ElementsAre("write 7 11 wait 200", "purge 7", "close 7", "pause 100",
                                            "open COM3", "line 8 19200", "timeouts 8 50"));
    }
}

TEST(SerialPortWrite, FailureAfterPendingKeepsThePort) {
    testsupport::LogCapture log;
    FakePortRig rig;
    ASSERT_TRUE(rig.port.Open("COM3", 19200));
    rig.events.clear();
    log.Clear();
    rig.backend->writes.push_back(
        Outcome(WriteResult::Kind::FailedAfterPending, 0, 1167, "The device is not connected."));
    const uint8_t request[3] = {};
    EXPECT_FALSE(rig.port.Write(request, sizeof request));
    EXPECT_TRUE(rig.port.IsOpen());
    EXPECT_THAT(log.Messages(),
                ElementsAre("Write failed after pending. Error 1167: The device is not connected."));
    EXPECT_THAT(rig.events, ElementsAre("write 7 3 wait 200"));
}

TEST(SerialPortWrite, FailedReopenLeavesThePortClosed) {
    testsupport::LogCapture log;
    FakePortRig rig;
    ASSERT_TRUE(rig.port.Open("COM3", 19200));
    log.Clear();
    rig.backend->writes.push_back(
        Outcome(WriteResult::Kind::Failed, 0, 1167, "The device is not connected."));
    rig.backend->opens.push_back(OpenResult{kInvalidSerialHandle, 2, OpenFailure::NotFound});
    const uint8_t request[3] = {};
    EXPECT_FALSE(rig.port.Write(request, sizeof request));
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_FALSE(rig.port.Write(request, sizeof request));
    EXPECT_THAT(log.Messages(),
                ElementsAre("Write failed. Error 1167: The device is not connected.",
                            "Reopen COM Port COM3 19200", "COM port closed", "Failed to open COM3: Error 2",
                            "The specified port does not exist.", "COM port not open"));
}

TEST(SerialPortRead, RefusesAClosedPortOrCrossedLengths) {
    testsupport::LogCapture log;
    FakePortRig rig;
    EXPECT_THAT(rig.port.Read(11, 8, 0x86, 500), IsEmpty());
    ASSERT_TRUE(rig.port.Open("COM3", 19200));
    log.Clear();
    EXPECT_THAT(rig.port.Read(3, 5, 0x81, 500), IsEmpty());
    EXPECT_THAT(log.Messages(), ElementsAre("Invalid COM handle or lengths"));
    EXPECT_EQ(rig.backend->underlyingReads, 0);
}

// Each scripted read stands for one ReadFile under the read time-outs: it returns when the room is full,
// an interval after its latest byte, or empty after the total time-out.
TEST(SerialPortRead, EndsAsTheDriversExpect) {
    const std::vector<uint8_t> fjFull = {0xAA, 0x01, 0x02, 0x86, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A};
    const std::vector<uint8_t> fjShort = {0xAA, 0x01, 0x02, 0x86, 0x04, 0x05, 0x06, 0x07};
    const std::vector<uint8_t> fjOther = {0xAA, 0x01, 0x02, 0x10, 0x04, 0x05, 0x06, 0x07};
    std::vector<uint8_t> seventeenPairs;
    for (int i = 0; i < 17; ++i) seventeenPairs.insert(seventeenPairs.end(), {0x11, 0x22});
    struct ReadArgs {
        size_t maxLength, minLength;
        uint8_t completion;
        uint32_t timeoutMs;
    };
    const ReadArgs fj{11, 8, 0x86, 500};
    const ReadArgs ev48{55, 10, 0xFF, 1000};
    struct Case {
        const char* what;
        ReadArgs args;
        std::vector<ScriptedRead> script;
        std::vector<uint8_t> expected;
        int underlyingReads;
        uint32_t endsAtMs;  // after the start tick
        uint32_t startTick = 0;
    };
    // clang-format off
    const Case kCases[] = {
        {"an answer that fills maxLength ends with its read", fj, {{3, fjFull}}, fjFull, 1, 3},
        {"a short answer with the completion byte ends with its read", fj, {{52, fjShort}}, fjShort, 1, 52},
        {"a short answer without it waits for an empty read", fj, {{52, fjOther}}, fjOther, 2, 552},
        {"the same across a wrap of the tick counter", fj, {{52, fjOther}}, fjOther, 2, 552, 0xFFFFFF00u},
        {"a quiet line ends it 30 ms after the last byte", fj,
         {{52, fjOther}, {10, {}}, {40, {}}}, fjOther, 3, 107},
        {"the completion byte counts only from minLength on", ev48,
         {{50, {1, 2, 3, 0xFF, 5}}, {50, {6, 7, 8, 9, 10}}}, {1, 2, 3, 0xFF, 5, 6, 7, 8, 9, 10}, 2, 100},
        {"a read of three never looks at index 3", {3, 3, 0x81, 500},
         {{4, {0x10, 0x20, 0x30}}}, {0x10, 0x20, 0x30}, 1, 4},
        {"the answer arrives in two reads", {5, 3, 0x81, 500},
         {{20, {0x52, 0x01}}, {50, {0x00, 0x81, 0x7F}}}, {0x52, 0x01, 0x00, 0x81, 0x7F}, 2, 70},
        {"an answer that keeps coming ends at the total time-out", ev48,
         std::vector<ScriptedRead>(20, ScriptedRead{60, {0x11, 0x22}}), seventeenPairs, 17, 1020},
    };
    // clang-format on
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        testsupport::LogCapture log;
        FakePortRig rig;
        ASSERT_TRUE(rig.port.Open("COM3", 19200));
        rig.clock.now = c.startTick;
        rig.backend->reads.assign(c.script.begin(), c.script.end());
        const auto answer =
            rig.port.Read(c.args.maxLength, c.args.minLength, c.args.completion, c.args.timeoutMs);
        EXPECT_EQ(answer, c.expected);
        EXPECT_EQ(rig.backend->underlyingReads, c.underlyingReads);
        EXPECT_EQ(static_cast<uint32_t>(rig.clock.now - c.startTick), c.endsAtMs);
    }
}

TEST(SerialPortRead, SilenceEndsAfterTheTimeoutWithNothing) {
    testsupport::LogCapture log;
    FakePortRig rig;
    ASSERT_TRUE(rig.port.Open("COM3", 19200));
    log.Clear();
    EXPECT_THAT(rig.port.Read(11, 8, 0x86, 500), IsEmpty());
    // One empty read of the whole time-out, then the short sleep of the loop.
    EXPECT_EQ(rig.clock.now, 505u);
    EXPECT_EQ(rig.backend->underlyingReads, 1);
    EXPECT_THAT(log.Messages(), ElementsAre("No data received before timeout"));
}

TEST(SerialPortRead, UsesTheReadTimeoutsAndLogsTheAnswer) {
    testsupport::LogCapture log;
    FakePortRig rig;
    ASSERT_TRUE(rig.port.Open("COM3", 38400));
    log.Clear();
    rig.backend->reads.push_back(ScriptedRead{5, {0xAA, 0x08, 0x86}});
    EXPECT_THAT(rig.port.Read(3, 3, 0x81, 500), ElementsAre(0xAA, 0x08, 0x86));
    EXPECT_EQ(rig.backend->timeouts, ReadTimeouts(500));
    EXPECT_THAT(log.Messages(), ElementsAre("[RX] 0xAA 0x08 0x86"));
}

TEST(SerialPortRead, AFailedReadKeepsWhatArrived) {
    testsupport::LogCapture log;
    FakePortRig rig;
    ASSERT_TRUE(rig.port.Open("COM3", 19200));
    log.Clear();
    rig.backend->reads.push_back(ScriptedRead{52, {0xAA, 0x01, 0x02, 0x03}});
    rig.backend->reads.push_back(ScriptedRead{20, {0x0F, 0xF0}, false});
    EXPECT_THAT(rig.port.Read(11, 8, 0x86, 500), ElementsAre(0xAA, 0x01, 0x02, 0x03, 0x0F, 0xF0));
    EXPECT_THAT(log.Messages(), ElementsAre("ReadFile failed", "[RX] 0xAA 0x01 0x02 0x03 0x0F 0xF0"));
}

TEST(SerialPortRead, AFailedReadWithNothingReportsTheTimeoutLine) {
    testsupport::LogCapture log;
    FakePortRig rig;
    ASSERT_TRUE(rig.port.Open("COM3", 19200));
    log.Clear();
    rig.backend->reads.push_back(ScriptedRead{0, {}, false});
    EXPECT_THAT(rig.port.Read(11, 8, 0x86, 500), IsEmpty());
    EXPECT_THAT(log.Messages(), ElementsAre("ReadFile failed", "No data received before timeout"));
}
