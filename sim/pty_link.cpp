#include "sim/pty_link.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace sim {

namespace {

struct SpeedCode {
    speed_t code;
    uint32_t baudRate;
};
constexpr SpeedCode kSpeeds[] = {{B1200, 1200},   {B2400, 2400},     {B4800, 4800},
                                 {B9600, 9600},   {B19200, 19200},   {B38400, 38400},
                                 {B57600, 57600}, {B115200, 115200}, {B230400, 230400}};

}  // namespace

PtyLink::~PtyLink() {
    if (!link_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(link_, ignored);
    }
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
}

bool PtyLink::Create(const std::filesystem::path& linkPath, std::string& error) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    const char* name = ptsname(master_);
    if (!name) {
        error = "cannot name the pseudo-terminal";
        return false;
    }
    device_ = name;
    slave_ = open(device_.c_str(), O_RDWR | O_NOCTTY);
    if (slave_ < 0) {
        error = "cannot open " + device_ + ": " + std::strerror(errno);
        return false;
    }
    // The line becomes this process's controlling terminal, so that a program that opens and closes it
    // (the wine server) does not get a hang-up when the last of its own handles goes.
    setsid();
    ioctl(slave_, TIOCSCTTY, 0);
    // Raw from the start: a terminal that echoed or translated bytes would answer for the controller.
    termios settings{};
    tcgetattr(slave_, &settings);
    cfmakeraw(&settings);
    tcsetattr(slave_, TCSANOW, &settings);

    std::error_code ec;
    std::filesystem::remove(linkPath, ec);
    std::filesystem::create_symlink(device_, linkPath, ec);
    if (ec) {
        error = "cannot link " + linkPath.string() + " to " + device_ + ": " + ec.message();
        return false;
    }
    link_ = linkPath;
    return true;
}

std::optional<uint32_t> PtyLink::LineBaudRate() const {
    termios settings{};
    if (tcgetattr(slave_, &settings) != 0) return std::nullopt;
    const speed_t speed = cfgetospeed(&settings);
    for (const auto& s : kSpeeds)
        if (s.code == speed) return s.baudRate;
    return std::nullopt;
}

Bytes PtyLink::ReadAvailable(int timeoutMs) {
    pollfd p{master_, POLLIN, 0};
    const int ready = poll(&p, 1, timeoutMs);
    if (ready <= 0 || !(p.revents & POLLIN)) return {};
    Bytes buffer(4096);
    const ssize_t n = read(master_, buffer.data(), buffer.size());
    if (n <= 0) return {};
    buffer.resize(static_cast<size_t>(n));
    return buffer;
}

void PtyLink::DiscardInput() {
    tcflush(slave_, TCIFLUSH);
}

bool PtyLink::Send(const Bytes& bytes, std::optional<uint32_t> pacedBaudRate) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    size_t sent = 0;
    while (sent < bytes.size()) {
        size_t chunk = bytes.size() - sent;
        if (pacedBaudRate) {
            // Release the bytes a real line would have carried by now, about one millisecond at a time.
            const auto elapsedUs =
                std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
            const auto due =
                static_cast<size_t>((elapsedUs * static_cast<int64_t>(*pacedBaudRate)) / 10'000'000 + 1);
            if (due <= sent) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                continue;
            }
            chunk = std::min(chunk, due - sent);
        }
        const ssize_t n = write(master_, bytes.data() + sent, chunk);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    if (pacedBaudRate) {
        const auto total = std::chrono::microseconds(bytes.size() * 10'000'000ull / *pacedBaudRate);
        std::this_thread::sleep_until(start + total);
    }
    return true;
}

bool PtyLink::Replug(int downMs, std::string& error) {
    const std::filesystem::path link = link_;
    std::error_code ignored;
    std::filesystem::remove(link, ignored);
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
    slave_ = master_ = -1;
    link_.clear();
    std::this_thread::sleep_for(std::chrono::milliseconds(downMs));
    return Create(link, error);
}

}  // namespace sim
