// SerialPort on the Win32 backend against a COM port that wine_com_test.sh maps onto a pseudo-terminal.
// The far end echoes each request; one starting with 0xE7 comes back a byte at a time, 10 ms apart,
// and 0xE8 makes it stop reading for a while.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "serial/port_list.h"
#include "serial/serial_port.h"
#include "serial/win32/serial_backend_win32.h"
#include "tests/serial/read_timing_cases.h"
#include "tests/support/log_capture.h"

using testing::Contains;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

void ReportLatency(const char* what, long long ms) {
    std::printf("[ latency  ] %s: %lld ms\n", what, ms);
}

std::string Setting(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

class Win32ComPort : public testing::Test {
protected:
    void SetUp() override {
        portName_ = Setting("VANTREL_TEST_COM_PORT");
        if (portName_.empty()) GTEST_SKIP() << "run through wine_com_test.sh, which maps the port";
    }
    void OpenPort(uint32_t baudRate = 19200) {
        ASSERT_TRUE(port_.Open(portName_, baudRate));
        log_.Clear();
    }
    std::vector<uint8_t> Exchange(const std::vector<uint8_t>& request, size_t maxLength, size_t minLength,
                                  uint8_t completion, long long* elapsedMs = nullptr) {
        EXPECT_TRUE(port_.Write(request.data(), request.size()));
        const auto start = Clock::now();
        auto answer = port_.Read(maxLength, minLength, completion, 500);
        if (elapsedMs != nullptr) *elapsedMs = MsSince(start);
        return answer;
    }

    testsupport::LogCapture log_;
    std::string portName_;
    SerialPort port_{MakePlatformSerialBackend()};
};

using serialtest::kFjFull;

}  // namespace

TEST_F(Win32ComPort, OpensAndConfiguresTheLine) {
    Win32SerialBackend backend;
    const OpenResult opened = backend.OpenDevice(portName_);
    ASSERT_NE(opened.handle, kInvalidSerialHandle) << opened.errorCode;
    const HANDLE handle = reinterpret_cast<HANDLE>(opened.handle);
    ASSERT_EQ(backend.ApplyLineSettings(opened.handle, 38400), LineSetup::Applied);
    ASSERT_TRUE(backend.SetTimeouts(opened.handle, ReadTimeouts(500)));

    DCB settings{};
    settings.DCBlength = sizeof settings;
    ASSERT_TRUE(GetCommState(handle, &settings));
    EXPECT_EQ(settings.BaudRate, 38400u);
    EXPECT_EQ(settings.ByteSize, 8);
    EXPECT_EQ(settings.Parity, NOPARITY);
    EXPECT_EQ(settings.StopBits, ONESTOPBIT);
    EXPECT_FALSE(settings.fOutX);
    EXPECT_FALSE(settings.fInX);
    EXPECT_FALSE(settings.fNull);
    COMMTIMEOUTS timeouts{};
    ASSERT_TRUE(GetCommTimeouts(handle, &timeouts));
    EXPECT_EQ(timeouts.ReadIntervalTimeout, 50u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 500u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 0u);
    backend.CloseDevice(opened.handle);

    EXPECT_TRUE(port_.Open(portName_, 19200));
    EXPECT_THAT(log_.Messages(), ElementsAre("COM port opened and configured successfully."));
}

TEST_F(Win32ComPort, ExplainsOpenFailures) {
    struct Case {
        std::string name;
        std::vector<std::string> lines;
    };
    std::vector<Case> cases = {
        {"COM77", {"Failed to open COM77: Error 2", "The specified port does not exist."}},
    };
    // A COM name mapped onto a folder is refused like a port held elsewhere; one mapped onto a plain
    // file opens but has no line settings.
    if (const std::string denied = Setting("VANTREL_TEST_DENIED_PORT"); !denied.empty()) {
        cases.push_back(
            {denied,
             {"Failed to open " + denied + ": Error 5", "The port is already in use or access is denied."}});
    }
    if (const std::string file = Setting("VANTREL_TEST_FILE_PORT"); !file.empty()) {
        cases.push_back({file, {"GetCommState failed."}});
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        log_.Clear();
        EXPECT_FALSE(port_.Open(c.name, 19200));
        EXPECT_FALSE(port_.IsOpen());
        EXPECT_EQ(log_.Messages(), c.lines);
    }
}

TEST_F(Win32ComPort, ListsTheMappedPort) {
    EXPECT_THAT(ListSerialPorts(), Contains(SerialPortInfo{portName_, Setting("VANTREL_TEST_COM_NAME")}));
}

TEST_F(Win32ComPort, ReadEndsWhenTheAnswerIsComplete) {
    OpenPort();
    for (const auto& c : serialtest::kReadTimingCases) {
        SCOPED_TRACE(c.what);
        // The best of a few tries: a busy machine may stall any single one. A read that waits out
        // its time-out anyway is tried once.
        long long best = 1000000;
        for (int attempt = 0; attempt < (c.atLeastMs > 100 ? 1 : 3); ++attempt) {
            long long elapsed = 0;
            EXPECT_EQ(Exchange(c.answer, 11, 8, 0x86, &elapsed), c.answer);
            best = std::min(best, elapsed);
        }
        ReportLatency(c.what, best);
        EXPECT_GE(best, c.atLeastMs);
        EXPECT_LT(best, c.belowMs);
    }
    EXPECT_THAT(log_.Messages(), Contains("[RX] 0xAA 0x0B 0x01 0x86 0x00 0x10 0x27 0x00 0x00 0x5C 0x3E"));
}

TEST_F(Win32ComPort, TrickledAnswerWithCompletionByteInItsValueComesBackWhole) {
    OpenPort(38400);
    const std::vector<uint8_t> answer = {0xE7, 0x00, 0x10, 0x81, 0x7F};
    EXPECT_EQ(Exchange(answer, 5, 3, 0x81), answer);
}

TEST_F(Win32ComPort, SilenceEndsAfterTheTimeout) {
    OpenPort();
    const auto start = Clock::now();
    EXPECT_THAT(port_.Read(11, 8, 0x86, 500), IsEmpty());
    const long long elapsed = MsSince(start);
    ReportLatency("win32 time-out", elapsed);
    EXPECT_GE(elapsed, 480);
    EXPECT_LT(elapsed, 1500);
    EXPECT_THAT(log_.Messages(), ElementsAre("No data received before timeout"));
}

TEST_F(Win32ComPort, EveryByteValuePassesUnchanged) {
    OpenPort(115200);
    std::vector<uint8_t> all(256);
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<uint8_t>(i);
    EXPECT_EQ(Exchange(all, 256, 256, 0x00), all);
}

// Last: the far end needs a moment to come back from the stall.
TEST_F(Win32ComPort, StalledWriteIsCutOffAndThePortReopened) {
    OpenPort();
    const std::vector<uint8_t> stall = {0xE8};
    ASSERT_TRUE(port_.Write(stall.data(), stall.size())) << testing::PrintToString(log_.Messages());
    port_.Read(1, 1, 0x00, 100);
    log_.Clear();
    const std::vector<uint8_t> flood(1 << 20, 0x55);
    const auto start = Clock::now();
    EXPECT_FALSE(port_.Write(flood.data(), flood.size()));
    EXPECT_GE(MsSince(start), 190);
    EXPECT_THAT(log_.Messages(),
                ElementsAre("Write timeout or wait failed (code 258). Attempting port reopen.",
                            "Reopen COM Port " + portName_ + " 19200", "COM port closed",
                            "COM port opened and configured successfully."));
    // The far end drops what piled up while it stalled and answers again.
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    EXPECT_EQ(Exchange(kFjFull, 11, 8, 0x86), kFjFull);
}
