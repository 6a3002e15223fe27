#include "serial/serial_port.h"

#include <algorithm>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/hex_text.h"
#include "tests/serial/fake_serial_backend.h"
#include "tests/support/log_capture.h"

using serialtest::FakePortRig;
using serialtest::ScriptedRead;
using testing::ElementsAre;

namespace {

using Lines = std::vector<std::string>;

const OpenResult kNotFound{kInvalidSerialHandle, 2, OpenFailure::NotFound};
using Kind = WriteResult::Kind;

// Built step by step: nested aggregates with strings trip a false warning in the optimised mingw build.
WriteResult Outcome(Kind kind, size_t written, uint32_t code = 0, std::string textForCode = {}) {
    WriteResult result;
    result.kind = kind;
    result.written = written;
    result.code = code;
    result.errorText = std::move(textForCode);
    return result;
}

}  // namespace

// The line is set up before the time-outs; a device that fails either is closed again.
TEST(SerialPortOpen, ConfiguresTheLineOrClosesAndSaysWhy) {
    struct Case {
        std::optional<OpenResult> open;  // none: the device opens
        LineSetup line;
        bool timeoutsAccepted;
        Lines events;
        Lines log;
    };
    const Lines kSetUp = {"open COM3", "line 7 19200", "timeouts 7 50"};
    // clang-format off
    const Case kCases[] = {
        {{}, LineSetup::Applied, true, kSetUp, {"COM port opened and configured successfully."}},
        {kNotFound, LineSetup::Applied, true, {"open COM3"},
         {"Failed to open COM3: Error 2", "The specified port does not exist."}},
        {{}, LineSetup::GetStateFailed, true, {"open COM3", "line 7 19200", "close 7"}, {"GetCommState failed."}},
        {{}, LineSetup::SetStateFailed, true, {"open COM3", "line 7 19200", "close 7"}, {"SetCommState failed."}},
        {{}, LineSetup::Applied, false, {"open COM3", "line 7 19200", "timeouts 7 50", "close 7"},
         {"SetCommTimeouts failed."}},
    };
    // clang-format on
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.log.front());
        testsupport::LogCapture log;
        FakePortRig rig;
        if (c.open) rig.backend->opens.push_back(*c.open);
        rig.backend->lineSetup = c.line;
        rig.backend->timeoutsAccepted = c.timeoutsAccepted;
        const bool opened = c.events == kSetUp;
        EXPECT_EQ(rig.port.Open("COM3", 19200), opened);
        EXPECT_EQ(rig.port.IsOpen(), opened);
        EXPECT_EQ(rig.events, c.events);
        EXPECT_EQ(log.Messages(), c.log);
    }
}

// A second open must not leak the first handle, whose exclusive hold would fail every later open.
TEST(SerialPortOpen, ReleasesAnOpenPortAndClosesOnlyOnce) {
    testsupport::LogCapture log;
    FakePortRig rig;
    ASSERT_TRUE(rig.port.Open("COM3", 19200));
    ASSERT_TRUE(rig.port.Open("COM4", 38400));
    rig.port.Close();
    rig.port.Close();
    rig.port.Shutdown();
    EXPECT_THAT(rig.events, ElementsAre("open COM3", "line 7 19200", "timeouts 7 50", "purge 7", "close 7",
                                        "open COM4", "line 8 38400", "timeouts 8 50", "purge 8", "close 8"));
    EXPECT_EQ(std::ranges::count(log.Messages(), "COM port closed"), 2);
}

// Only a write the device finished whole is reported done; a failing line is reopened, a device that
// failed a write it had taken keeps its port.
TEST(SerialPortWrite, OnlyAWholeWriteIsDoneAndAFailedOneReopensThePort) {
    enum class Then { Done, KeepsPort, Reopens, ReopenFails };
    struct Case {
        const char* what;
        WriteResult result;
        Then then;
        std::string firstLine;
    };
    // clang-format off
    const Case kCases[] = {
        {"whole", Outcome(Kind::Completed, 11), Then::Done, ""},
        {"partial", Outcome(Kind::Completed, 5), Then::Reopens, "Partial write. Expected 11 bytes, wrote 5"},
        {"refused", Outcome(Kind::Failed, 0, 22, "The device does not recognize the command."), Then::Reopens,
         "Write failed. Error 22: The device does not recognize the command."},
        {"stalled", Outcome(Kind::TimedOut, 3, kWaitTimedOut), Then::Reopens,
         "Write timeout or wait failed (code 258). Attempting port reopen."},
        {"failed after pending", Outcome(Kind::FailedAfterPending, 0, 1167, "The device is not connected."),
         Then::KeepsPort, "Write failed after pending. Error 1167: The device is not connected."},
        {"unplugged", Outcome(Kind::Failed, 0, 1167, "The device is not connected."), Then::ReopenFails,
         "Write failed. Error 1167: The device is not connected."},
    };
    // clang-format on
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        testsupport::LogCapture log;
        FakePortRig rig;
        ASSERT_TRUE(rig.port.Open("COM3", 19200));
        rig.events.clear();
        log.Clear();
        rig.backend->writes.push_back(c.result);
        if (c.then == Then::ReopenFails) rig.backend->opens.push_back(kNotFound);
        const uint8_t request[11] = {};
        EXPECT_EQ(rig.port.Write(request, sizeof request), c.then == Then::Done);
        EXPECT_EQ(rig.port.IsOpen(), c.then != Then::ReopenFails);

        Lines events = {"write 7 11 wait 200"};
        Lines lines;
        if (c.then != Then::Done) lines.push_back(c.firstLine);
        if (c.then == Then::Reopens || c.then == Then::ReopenFails) {
            events.insert(events.end(), {"purge 7", "close 7", "pause 100", "open COM3"});
            lines.insert(lines.end(), {"Reopen COM Port COM3 19200", "COM port closed"});
        }
        if (c.then == Then::Reopens) {
            events.insert(events.end(), {"line 8 19200", "timeouts 8 50"});
            lines.push_back("COM port opened and configured successfully.");
        }
        if (c.then == Then::ReopenFails) {
            lines.insert(lines.end(), {"Failed to open COM3: Error 2", "The specified port does not exist."});
            EXPECT_FALSE(rig.port.Write(request, sizeof request));
            lines.push_back("COM port not open");
        }
        EXPECT_EQ(rig.events, events);
        EXPECT_EQ(log.Messages(), lines);
    }
}

// Each scripted read stands for one ReadFile under the read time-outs: it returns when the room is full,
// an interval after its latest byte, or empty after the total time-out. Nothing read is dropped, and
// nothing is taken for an answer that did not arrive.
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
        {"silence ends after the read time-out and a short sleep", fj, {}, {}, 1, 505},
        {"a failed read keeps what arrived", fj,
         {{52, {0xAA, 0x01, 0x02, 0x03}}, {20, {0x0F, 0xF0}, false}}, {0xAA, 0x01, 0x02, 0x03, 0x0F, 0xF0}, 2, 72},
        {"a failed read with nothing is nothing", fj, {{0, {}, false}}, {}, 1, 0},
    };
    // clang-format on
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        testsupport::LogCapture log;
        FakePortRig rig;
        ASSERT_TRUE(rig.port.Open("COM3", 19200));
        log.Clear();
        rig.backend->now = c.startTick;
        rig.backend->reads.assign(c.script.begin(), c.script.end());
        const auto answer =
            rig.port.Read(c.args.maxLength, c.args.minLength, c.args.completion, c.args.timeoutMs);
        EXPECT_EQ(answer, c.expected);
        EXPECT_EQ(rig.backend->underlyingReads, c.underlyingReads);
        EXPECT_EQ(static_cast<uint32_t>(rig.backend->now - c.startTick), c.endsAtMs);
        const bool failed = !c.script.empty() && !c.script.back().ok;
        EXPECT_EQ(log.Contains("ReadFile failed"), failed);
        EXPECT_EQ(log.Messages().back(),
                  c.expected.empty() ? "No data received before timeout" : FormatFrame("RX", c.expected));
    }
}
