// A controller the test plays itself on a pseudo-terminal, for answers no simulator gives: the port
// opens Device(); bytes put on the line with Send wait there unread; Answer takes one request of the
// given length on a thread of its own and sends the scripted answer.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

class ScriptedLine {
public:
    ScriptedLine() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
        device_ = ptsname(master_);
        // Held open so the line stays up between the port's opens; raw so no byte is changed.
        slave_ = open(device_.c_str(), O_RDWR | O_NOCTTY);
        if (slave_ < 0) return;
        termios raw{};
        tcgetattr(slave_, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave_, TCSANOW, &raw);
    }
    ~ScriptedLine() {
        if (controller_.joinable()) controller_.join();
        if (slave_ >= 0) close(slave_);
        if (master_ >= 0) close(master_);
    }
    ScriptedLine(const ScriptedLine&) = delete;
    ScriptedLine& operator=(const ScriptedLine&) = delete;

    bool Ok() const { return slave_ >= 0; }
    const std::string& Device() const { return device_; }

    void Send(const std::vector<uint8_t>& bytes) const { (void)!write(master_, bytes.data(), bytes.size()); }

    // Waits (up to two seconds) for requestLength bytes, then sends the answer.
    void Answer(size_t requestLength, std::vector<uint8_t> answer) {
        controller_ = std::thread([this, requestLength, answer = std::move(answer)] {
            size_t received = 0;
            while (received < requestLength) {
                pollfd p{master_, POLLIN, 0};
                if (poll(&p, 1, 2000) <= 0) return;
                uint8_t buffer[64];
                const ssize_t n = read(master_, buffer, sizeof buffer);
                if (n <= 0) return;
                received += static_cast<size_t>(n);
            }
            Send(answer);
        });
    }
    void Join() {
        if (controller_.joinable()) controller_.join();
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string device_;
    std::thread controller_;
};

}  // namespace testsupport
