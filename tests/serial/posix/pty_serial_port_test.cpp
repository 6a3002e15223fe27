// SerialPort on the POSIX backend against a pseudo-terminal whose master side plays the controller.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "serial/serial_port.h"
#include "tests/serial/read_timing_cases.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_dir.h"

using testing::ElementsAre;
using testing::StartsWith;

namespace {

using serialtest::Clock;
using serialtest::MsSince;

// The master side of a pseudo-terminal; the port opens the slave.
class FarEnd {
public:
    FarEnd() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
        char name[128] = {};
        if (ptsname_r(master_, name, sizeof name) == 0) slavePath_ = name;
    }
    ~FarEnd() { Hangup(); }
    FarEnd(const FarEnd&) = delete;
    FarEnd& operator=(const FarEnd&) = delete;

    bool Ready() const { return master_ >= 0 && !slavePath_.empty(); }
    const std::string& SlavePath() const { return slavePath_; }

    void Send(const std::vector<uint8_t>& bytes) {
        size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = write(master_, bytes.data() + sent, bytes.size() - sent);
            if (n <= 0) return;
            sent += static_cast<size_t>(n);
        }
    }

    std::vector<uint8_t> Receive(size_t count, int timeoutMs) {
        std::vector<uint8_t> got;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.size() < count && Clock::now() < deadline) {
            pollfd request{master_, POLLIN, 0};
            if (poll(&request, 1, 10) <= 0 || (request.revents & POLLIN) == 0) continue;
            uint8_t buffer[4096];
            const ssize_t n = read(master_, buffer, std::min(sizeof buffer, count - got.size()));
            if (n > 0) got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }

    // The termios calls on the master reach the slave's settings.
    termios SlaveSettings() const {
        termios settings{};
        tcgetattr(master_, &settings);
        return settings;
    }
    void SetSlaveSettings(const termios& settings) { tcsetattr(master_, TCSANOW, &settings); }

    void Hangup() {
        if (master_ >= 0) close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    std::string slavePath_;
};

class PtySerialPort : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(far_.Ready()); }
    void OpenPort(uint32_t baudRate = 19200) {
        ASSERT_TRUE(port_.Open(far_.SlavePath(), baudRate));
        log_.Clear();
    }

    testsupport::LogCapture log_;
    FarEnd far_;
    SerialPort port_{MakePlatformSerialBackend()};
};

}  // namespace

// A terminal left cooked, with flow control, by some other program: the port makes it a transparent
// 8N1 line at each family's rate and leaves flow control alone.
TEST_F(PtySerialPort, OpensAndConfiguresTheLine) {
    for (const auto& [baudRate, speed] : {std::pair{19200u, B19200}, {38400u, B38400}, {115200u, B115200}}) {
        SCOPED_TRACE(baudRate);
        port_.Close();
        termios cooked = far_.SlaveSettings();
        cooked.c_cflag |= CRTSCTS | PARENB | CSTOPB;
        cooked.c_iflag |= ICRNL | IXON;
        cooked.c_lflag |= ICANON | ECHO | ISIG;
        far_.SetSlaveSettings(cooked);
        log_.Clear();
        EXPECT_TRUE(port_.Open(far_.SlavePath(), baudRate));
        EXPECT_THAT(log_.Messages(), ElementsAre("COM port opened and configured successfully."));
        const termios applied = far_.SlaveSettings();
        EXPECT_EQ(cfgetospeed(&applied), static_cast<speed_t>(speed));
        EXPECT_EQ(cfgetispeed(&applied), static_cast<speed_t>(speed));
        EXPECT_EQ(applied.c_cflag & (CSIZE | PARENB | CSTOPB), static_cast<tcflag_t>(CS8));
        EXPECT_EQ(applied.c_iflag & (ICRNL | IXON), 0u);
        EXPECT_EQ(applied.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_NE(applied.c_cflag & CRTSCTS, 0u);
    }
}

// A port held by this or another program is refused, and so is a file that is not a terminal.
TEST_F(PtySerialPort, RefusesAPortHeldElsewhereOrNotATerminal) {
    OpenPort();
    SerialPort second(MakePlatformSerialBackend());
    EXPECT_FALSE(second.Open(far_.SlavePath(), 19200));
    const pid_t child = fork();
    if (child == 0) {
        SerialPort other(MakePlatformSerialBackend());
        _exit(other.Open(far_.SlavePath(), 19200) ? 1 : 0);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    testsupport::TempDir temp;
    testsupport::WriteFileBytes(temp / "plain.txt", "not a port");
    EXPECT_FALSE(second.Open((temp / "plain.txt").string(), 19200));
    EXPECT_THAT(log_.Messages(),
                ElementsAre("Failed to open " + far_.SlavePath() + ": Error 5",
                            "The port is already in use or access is denied.", "GetCommState failed."));
    port_.Close();
    EXPECT_TRUE(second.Open(far_.SlavePath(), 19200));
}

TEST_F(PtySerialPort, ReadEndsWhenTheAnswerIsComplete) {
    OpenPort();
    serialtest::CheckReadTimings(port_, [&](const std::vector<uint8_t>& answer) { far_.Send(answer); });
}

// A naive loop that looked at byte 3 as soon as it trickled in would stop at four bytes here and lose
// the value's low byte.
TEST_F(PtySerialPort, TrickledAnswerWithCompletionByteInItsValueComesBackWhole) {
    OpenPort(38400);
    const std::vector<uint8_t> answer = {0x52, 0x00, 0x10, 0x81, 0x7F};
    std::thread sender([&] {
        for (uint8_t byte : answer) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            far_.Send({byte});
        }
    });
    const auto got = port_.Read(5, 3, 0x81, 500);
    sender.join();
    EXPECT_EQ(got, answer);
}

TEST_F(PtySerialPort, EveryByteValuePassesUnchangedBothWays) {
    OpenPort(115200);
    std::vector<uint8_t> all(256);
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<uint8_t>(i);
    ASSERT_TRUE(port_.Write(all.data(), all.size()));
    EXPECT_EQ(far_.Receive(all.size() + 1, 300), all);
    far_.Send(all);
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
                            "Reopen COM Port " + far_.SlavePath() + " 19200", "COM port closed",
                            "COM port opened and configured successfully."));
}

TEST_F(PtySerialPort, WriteCutShortByItsTimeoutIsPartialAndReopens) {
    OpenPort();
    // The far end reads nothing; the open-time write time-out of a 14-byte request ends inside the
    // completion bound, with whatever still fitted.
    const uint8_t request[14] = {0xAA, 0x0E};
    int writes = 0;
    while (port_.Write(request, sizeof request) && ++writes < 100000) {
    }
    const auto lines = log_.Messages();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_THAT(lines[0], StartsWith("Partial write. Expected 14 bytes, wrote "));
    EXPECT_THAT(std::vector<std::string>(lines.begin() + 1, lines.end()),
                ElementsAre("Reopen COM Port " + far_.SlavePath() + " 19200", "COM port closed",
                            "COM port opened and configured successfully."));
}

// Unplugging a USB cable hangs its terminal up and takes its device name away: the read ends at once,
// the write fails, the reopen too, and the port stays closed. The name goes through a link here: a
// pseudo-terminal's own number may be handed to another test's terminal at once.
TEST_F(PtySerialPort, FarEndThatGoesAwayEndsTheReadAndLeavesThePortClosed) {
    testsupport::TempDir temp;
    const std::string name = (temp / "ttyUSB0").string();
    std::filesystem::create_symlink(far_.SlavePath(), name);
    ASSERT_TRUE(port_.Open(name, 19200));
    log_.Clear();
    far_.Hangup();
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
