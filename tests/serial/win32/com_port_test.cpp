// SerialPort on the Win32 backend against a COM port that wine_com_test.sh maps onto a pseudo-terminal.
// The far end echoes each request; one starting with 0xE7 comes back a byte at a time, 10 ms apart,
// and 0xE8 makes it stop reading for a while.
#include <windows.h>

#include <chrono>
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

namespace {

using serialtest::Clock;
using serialtest::kFjFull;
using serialtest::MsSince;

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
    // The far end echoes the request.
    void Send(const std::vector<uint8_t>& request) {
        EXPECT_TRUE(port_.Write(request.data(), request.size()));
    }

    testsupport::LogCapture log_;
    std::string portName_;
    SerialPort port_{MakePlatformSerialBackend()};
};

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
    EXPECT_FALSE(port_.Open("COM77", 19200));
    EXPECT_THAT(log_.Messages(),
                ElementsAre("COM port opened and configured successfully.", "COM port closed",
                            "Failed to open COM77: Error 2", "The specified port does not exist."));
}

TEST_F(Win32ComPort, ListsTheMappedPort) {
    EXPECT_THAT(ListSerialPorts(), Contains(SerialPortInfo{portName_, Setting("VANTREL_TEST_COM_NAME")}));
}

TEST_F(Win32ComPort, ReadEndsWhenTheAnswerIsComplete) {
    OpenPort();
    serialtest::CheckReadTimings(port_, [&](const std::vector<uint8_t>& answer) { Send(answer); });
}

TEST_F(Win32ComPort, TrickledAnswerWithCompletionByteInItsValueComesBackWhole) {
    OpenPort(38400);
    const std::vector<uint8_t> answer = {0xE7, 0x00, 0x10, 0x81, 0x7F};
    Send(answer);
    EXPECT_EQ(port_.Read(5, 3, 0x81, 500), answer);
}

TEST_F(Win32ComPort, EveryByteValuePassesUnchanged) {
    OpenPort(115200);
    std::vector<uint8_t> all(256);
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<uint8_t>(i);
    Send(all);
    EXPECT_EQ(port_.Read(256, 256, 0x00, 500), all);
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
    Send(kFjFull);
    EXPECT_EQ(port_.Read(11, 8, 0x86, 500), kFjFull);
}
