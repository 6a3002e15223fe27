// SerialPort on the Win32 backend against a COM port that wine_com_test.sh maps onto a pseudo-terminal.
// The far end echoes each request; one starting with 0xE8 makes it stop reading for a while.
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <tuple>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "serial/port_list.h"
#include "serial/serial_port.h"
#include "serial/win32/serial_backend_win32.h"
#include "tests/serial/read_timing_cases.h"
#include "tests/support/log_capture.h"

using serialtest::kFjFull;
using testing::Contains;
using testing::ElementsAre;

namespace {

std::string Setting(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

class Win32ComPort : public testing::Test {
protected:
    void SetUp() override {
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
    std::string portName_ = Setting("VANTREL_TEST_COM_PORT");
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
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(handle, &dcb));
    EXPECT_EQ(std::tuple(dcb.BaudRate, dcb.ByteSize, dcb.Parity, dcb.StopBits),
              std::tuple(DWORD{38400}, BYTE{8}, BYTE{NOPARITY}, BYTE{ONESTOPBIT}));
    EXPECT_FALSE(dcb.fOutX || dcb.fInX || dcb.fNull);
    COMMTIMEOUTS t{};
    ASSERT_TRUE(GetCommTimeouts(handle, &t));
    EXPECT_EQ(std::tuple(t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant,
                         t.WriteTotalTimeoutConstant),
              std::tuple(DWORD{50}, DWORD{0}, DWORD{500}, DWORD{0}));
    backend.CloseDevice(opened.handle);
}

TEST_F(Win32ComPort, ListsTheMappedPort) {
    EXPECT_THAT(ListSerialPorts(), Contains(SerialPortInfo{portName_, Setting("VANTREL_TEST_COM_NAME")}));
}

TEST_F(Win32ComPort, ReadEndsWhenTheAnswerIsComplete) {
    OpenPort();
    serialtest::CheckReadTimings(port_, [&](const std::vector<uint8_t>& answer) { Send(answer); });
}

// Last: the far end needs a moment to come back from the stall.
TEST_F(Win32ComPort, StalledWriteIsCutOffAndThePortReopened) {
    OpenPort();
    Send({0xE8});
    port_.Read(1, 1, 0x00, 100);
    log_.Clear();
    const std::vector<uint8_t> flood(1 << 20, 0x55);
    const auto start = serialtest::Clock::now();
    EXPECT_FALSE(port_.Write(flood.data(), flood.size()));
    EXPECT_GE(serialtest::MsSince(start), 190);
    EXPECT_THAT(log_.Messages(),
                ElementsAre("Write timeout or wait failed (code 258). Attempting port reopen.",
                            "Reopen COM Port " + portName_ + " 19200", "COM port closed",
                            "COM port opened and configured successfully."));
    // The far end drops what piled up while it stalled and answers again.
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    Send(kFjFull);
    EXPECT_EQ(port_.Read(11, 8, 0x86, 500), kFjFull);
}
