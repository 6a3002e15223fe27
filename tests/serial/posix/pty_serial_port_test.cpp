// SerialPort on the POSIX backend against a pseudo-terminal whose master side plays the controller.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <utility>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "serial/serial_port.h"
#include "tests/serial/read_timing_cases.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_dir.h"

using serialtest::Clock;
using serialtest::MsSince;
using testing::ElementsAre;

namespace {

// The port opens the slave side; termios calls on the master reach the slave's settings.
class PtySerialPort : public testing::Test {
protected:
    void SetUp() override {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[128] = {};
        ASSERT_TRUE(master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0 &&
                    ptsname_r(master_, name, sizeof name) == 0);
        slave_ = name;
    }
    void TearDown() override { Hangup(); }
    void Hangup() {
        if (master_ >= 0) close(std::exchange(master_, -1));
    }
    void OpenPort(uint32_t baudRate = 19200) {
        ASSERT_TRUE(port_.Open(slave_, baudRate));
        log_.Clear();
    }
    void Send(const std::vector<uint8_t>& bytes) {
        ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Everything that arrives until the line has been quiet for 300 ms.
    std::vector<uint8_t> Receive() {
        std::vector<uint8_t> got(4096);
        size_t n = 0;
        for (pollfd p{master_, POLLIN, 0}; n < got.size() && poll(&p, 1, 300) > 0;) {
            const ssize_t r = read(master_, got.data() + n, got.size() - n);
            if (r <= 0) break;
            n += static_cast<size_t>(r);
        }
        got.resize(n);
        return got;
    }

    testsupport::LogCapture log_;
    int master_ = -1;
    std::string slave_;
    SerialPort port_{MakePlatformSerialBackend()};
};

}  // namespace

// A terminal left cooked, with flow control, by some other program: the port makes it a transparent
// 8N1 line at each family's rate and leaves flow control alone.
TEST_F(PtySerialPort, OpensAndConfiguresTheLine) {
    for (const auto& [baudRate, speed] : {std::pair{19200u, B19200}, {38400u, B38400}, {115200u, B115200}}) {
        SCOPED_TRACE(baudRate);
        port_.Close();
        termios cooked{};
        tcgetattr(master_, &cooked);
        cooked.c_cflag |= CRTSCTS | PARENB | CSTOPB;
        cooked.c_iflag |= ICRNL | IXON;
        cooked.c_lflag |= ICANON | ECHO | ISIG;
        tcsetattr(master_, TCSANOW, &cooked);
        log_.Clear();
        EXPECT_TRUE(port_.Open(slave_, baudRate));
        EXPECT_THAT(log_.Messages(), ElementsAre("COM port opened and configured successfully."));
        termios applied{};
        tcgetattr(master_, &applied);
        EXPECT_EQ(cfgetispeed(&applied), static_cast<speed_t>(speed));
        EXPECT_EQ(applied.c_cflag & (CSIZE | PARENB | CSTOPB), static_cast<tcflag_t>(CS8));
        EXPECT_EQ(applied.c_iflag & (ICRNL | IXON), 0u);
        EXPECT_EQ(applied.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_NE(applied.c_cflag & CRTSCTS, 0u);
    }
}

// A port already held is refused: the lock turns away this process, and root too.
TEST_F(PtySerialPort, RefusesAPortHeldElsewhere) {
    OpenPort();
    SerialPort second(MakePlatformSerialBackend());
    EXPECT_FALSE(second.Open(slave_, 19200));
    EXPECT_THAT(log_.Messages(), ElementsAre("Failed to open " + slave_ + ": Error 5",
                                             "The port is already in use or access is denied."));
    port_.Close();
    EXPECT_TRUE(second.Open(slave_, 19200));
}

TEST_F(PtySerialPort, ReadEndsWhenTheAnswerIsComplete) {
    OpenPort();
    serialtest::CheckReadTimings(port_, [&](const std::vector<uint8_t>& answer) { Send(answer); });
}

TEST_F(PtySerialPort, EveryByteValuePassesUnchangedBothWays) {
    OpenPort(115200);
    std::vector<uint8_t> all(256);
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<uint8_t>(i);
    ASSERT_TRUE(port_.Write(all.data(), all.size()));
    EXPECT_EQ(Receive(), all);
    Send(all);
    EXPECT_EQ(port_.Read(256, 256, 0x00, 1000), all);
}

TEST_F(PtySerialPort, StalledWriteIsCutOffAndThePortReopened) {
    OpenPort();
    // After a read the port has no write time-out of its own; only the completion bound is left.
    port_.Read(1, 1, 0x00, 10);
    log_.Clear();
    const std::vector<uint8_t> flood(1 << 20, 0x55);
    const auto start = Clock::now();
    EXPECT_FALSE(port_.Write(flood.data(), flood.size()));
    EXPECT_GE(MsSince(start), 200);
    EXPECT_TRUE(port_.IsOpen());
    EXPECT_THAT(log_.Messages(),
                ElementsAre("Write timeout or wait failed (code 258). Attempting port reopen.",
                            "Reopen COM Port " + slave_ + " 19200", "COM port closed",
                            "COM port opened and configured successfully."));
}

// Unplugging a USB cable hangs its terminal up and takes its device name away: the read ends at once,
// the write fails, the reopen too, and the port stays closed. The name is a link: a pseudo-terminal's
// own number may be handed to another test's terminal at once.
TEST_F(PtySerialPort, FarEndThatGoesAwayEndsTheReadAndLeavesThePortClosed) {
    testsupport::TempDir temp;
    const std::string name = (temp / "ttyUSB0").string();
    std::filesystem::create_symlink(slave_, name);
    ASSERT_TRUE(port_.Open(name, 19200));
    log_.Clear();
    Hangup();
    std::filesystem::remove(name);

    const auto start = Clock::now();
    EXPECT_TRUE(port_.Read(11, 8, 0x86, 500).empty());
    EXPECT_LT(MsSince(start), 250);
    const uint8_t request[3] = {0x01, 0x02, 0x03};
    EXPECT_FALSE(port_.Write(request, sizeof request));
    EXPECT_FALSE(port_.IsOpen());
    EXPECT_THAT(log_.Messages(),
                ElementsAre("ReadFile failed", "No data received before timeout",
                            "Write failed. Error 5: Input/output error", "Reopen COM Port " + name + " 19200",
                            "COM port closed", "Failed to open " + name + ": Error 2",
                            "The specified port does not exist."));
}
