#include "serial/posix/serial_backend_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

int Fd(SerialHandle handle) {
    return static_cast<int>(handle);
}

template <typename Call>
int RetryOnEintr(Call call) {
    int result = 0;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

// poll's time-out for a deadline, rounded up so a wait never ends just short of it and spins.
int MillisecondsUntil(Clock::time_point deadline, Clock::time_point now) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    return left <= 0 ? 0 : static_cast<int>(left);
}

Clock::time_point Earlier(Clock::time_point a, Clock::time_point b) {
    return a < b ? a : b;
}

}  // namespace

namespace posixserial {

std::string DevicePath(const std::string& portName) {
    if (portName.find('/') != std::string::npos) return portName;
    return "/dev/" + portName;
}

OpenError ClassifyOpenErrno(int errorNumber) {
    switch (errorNumber) {
        case ENOENT:
        case ENOTDIR:
        case ENODEV:
        case ENXIO:
            return {2, OpenFailure::NotFound};
        case EACCES:
        case EPERM:
        case EBUSY:
            return {5, OpenFailure::AccessDenied};
        default:
            return {static_cast<uint32_t>(errorNumber), OpenFailure::Other};
    }
}

std::optional<speed_t> SpeedForBaudRate(uint32_t baudRate) {
    struct Rate {
        uint32_t baud;
        speed_t speed;
    };
    static constexpr Rate kRates[] = {
        {1200, B1200},     {2400, B2400},     {4800, B4800},     {9600, B9600},
        {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200},
        {230400, B230400}, {460800, B460800}, {921600, B921600},
    };
    for (const Rate& rate : kRates) {
        if (rate.baud == baudRate) return rate.speed;
    }
    return std::nullopt;
}

// A COM port on Windows is always binary. A terminal is not: unless told otherwise it would take
// 0x11 and 0x13 for flow control, 0x03 for a signal, turn 0x0D into 0x0A and hold bytes back until
// a line ends. Everything that gives a byte meaning goes off; CRTSCTS, CLOCAL and HUPCL stay.
void MakeTransparent8N1(termios& settings, speed_t speed) {
    settings.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                               IXON | IXOFF | IXANY | INPCK);
#ifdef IUCLC
    settings.c_iflag &= ~static_cast<tcflag_t>(IUCLC);
#endif
    settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
    settings.c_cflag |= CS8 | CREAD;
    // Reads are paced by poll; a read that is let through returns what is there.
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    cfsetispeed(&settings, speed);
    cfsetospeed(&settings, speed);
}

}  // namespace posixserial

OpenResult PosixSerialBackend::OpenDevice(const std::string& portName) {
    const std::string path = posixserial::DevicePath(portName);
    const int fd =
        RetryOnEintr([&] { return open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); });
    if (fd < 0) {
        const auto error = posixserial::ClassifyOpenErrno(errno);
        return OpenResult{kInvalidSerialHandle, error.code, error.failure};
    }
    // A Windows COM port has one user at a time. TIOCEXCL turns away other opens, except root's; the
    // advisory lock also turns away root and a second open from this very process.
    if (RetryOnEintr([&] { return flock(fd, LOCK_EX | LOCK_NB); }) != 0) {
        const int lockError = errno;
        close(fd);
        const auto error = posixserial::ClassifyOpenErrno(lockError == EWOULDBLOCK ? EBUSY : lockError);
        return OpenResult{kInvalidSerialHandle, error.code, error.failure};
    }
    (void)ioctl(fd, TIOCEXCL);
    return OpenResult{fd, 0, OpenFailure::None};
}

LineSetup PosixSerialBackend::ApplyLineSettings(SerialHandle handle, uint32_t baudRate) {
    const int fd = Fd(handle);
    termios settings{};
    if (RetryOnEintr([&] { return tcgetattr(fd, &settings); }) != 0) return LineSetup::GetStateFailed;
    const auto speed = posixserial::SpeedForBaudRate(baudRate);
    if (!speed) return LineSetup::SetStateFailed;
    posixserial::MakeTransparent8N1(settings, *speed);
    if (RetryOnEintr([&] { return tcsetattr(fd, TCSANOW, &settings); }) != 0)
        return LineSetup::SetStateFailed;
    // tcsetattr reports success when any one of the changes took; check the ones that matter.
    termios applied{};
    if (RetryOnEintr([&] { return tcgetattr(fd, &applied); }) != 0) return LineSetup::SetStateFailed;
    const tcflag_t framing = CSIZE | PARENB | CSTOPB;
    if (cfgetospeed(&applied) != *speed || (applied.c_cflag & framing) != CS8 ||
        (applied.c_lflag & ICANON) != 0) {
        return LineSetup::SetStateFailed;
    }
    return LineSetup::Applied;
}

bool PosixSerialBackend::SetTimeouts(SerialHandle handle, const SerialTimeouts& timeouts) {
    if (fcntl(Fd(handle), F_GETFD) < 0) return false;
    timeouts_ = timeouts;
    return true;
}

// ReadFile under COMMTIMEOUTS: done when the room is full, when the interval has passed since the latest
// byte (once one came), or when the total has passed since the start. Bytes merely being available do
// not end it.
ReadResult PosixSerialBackend::ReadSome(SerialHandle handle, uint8_t* buffer, size_t room) {
    const int fd = Fd(handle);
    const auto start = Clock::now();
    const uint64_t totalMs =
        static_cast<uint64_t>(timeouts_.readTotalMultiplierMs) * room + timeouts_.readTotalConstantMs;
    const auto totalDeadline = start + std::chrono::milliseconds(totalMs);
    const auto interval = std::chrono::milliseconds(timeouts_.readIntervalMs);

    size_t got = 0;
    Clock::time_point lastByte{};
    while (got < room) {
        bool bounded = totalMs > 0;
        Clock::time_point deadline = totalDeadline;
        if (got > 0 && timeouts_.readIntervalMs > 0) {
            deadline = bounded ? Earlier(deadline, lastByte + interval) : lastByte + interval;
            bounded = true;
        }
        int waitMs = -1;
        if (bounded) {
            const auto now = Clock::now();
            if (now >= deadline) break;
            waitMs = MillisecondsUntil(deadline, now);
        }
        pollfd request{fd, POLLIN, 0};
        const int ready = poll(&request, 1, waitMs);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return ReadResult{false, got};
        }
        if (ready == 0) continue;
        if ((request.revents & POLLIN) == 0) return ReadResult{false, got};  // hung up or gone
        const ssize_t n = read(fd, buffer + got, room - got);
        if (n > 0) {
            got += static_cast<size_t>(n);
            lastByte = Clock::now();
        } else if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
            continue;
        } else {
            // End of file on a terminal that poll called readable: the line was hung up.
            return ReadResult{false, got};
        }
    }
    return ReadResult{true, got};
}

// WriteFile with a completion wait: the write total time-out in force ends a stalled write with what
// went out (a partial write), and completionWaitMs bounds the whole write even when no time-out is in
// force, which is the state every Read leaves behind.
WriteResult PosixSerialBackend::WriteAll(SerialHandle handle, const uint8_t* data, size_t length,
                                         uint32_t completionWaitMs) {
    const int fd = Fd(handle);
    const auto start = Clock::now();
    const uint64_t totalMs =
        static_cast<uint64_t>(timeouts_.writeTotalMultiplierMs) * length + timeouts_.writeTotalConstantMs;
    const auto totalDeadline = start + std::chrono::milliseconds(totalMs);
    const auto waitDeadline = start + std::chrono::milliseconds(completionWaitMs);

    WriteResult result;
    bool pending = false;
    while (result.written < length) {
        const ssize_t n = write(fd, data + result.written, length - result.written);
        if (n > 0) {
            result.written += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            const int error = errno;
            result.kind = pending ? WriteResult::Kind::FailedAfterPending : WriteResult::Kind::Failed;
            result.code = static_cast<uint32_t>(error);
            result.errorText = std::strerror(error);
            return result;
        }
        pending = true;
        const auto now = Clock::now();
        if (totalMs > 0 && now >= totalDeadline) return result;
        if (now >= waitDeadline) {
            // Nothing is queued in our name once write() has returned; what is stuck in the driver goes.
            tcflush(fd, TCOFLUSH);
            result.kind = WriteResult::Kind::TimedOut;
            result.code = kWaitTimedOut;
            return result;
        }
        const auto deadline = totalMs > 0 ? Earlier(totalDeadline, waitDeadline) : waitDeadline;
        pollfd request{fd, POLLOUT, 0};
        const int ready = poll(&request, 1, MillisecondsUntil(deadline, now));
        if (ready < 0 && errno != EINTR) {
            tcflush(fd, TCOFLUSH);
            result.kind = WriteResult::Kind::TimedOut;
            result.code = kWaitFailed;
            return result;
        }
        if (ready > 0 && (request.revents & POLLOUT) == 0) {
            result.kind = WriteResult::Kind::FailedAfterPending;
            result.code = EIO;
            result.errorText = std::strerror(EIO);
            return result;
        }
    }
    return result;
}

void PosixSerialBackend::Purge(SerialHandle handle) {
    tcflush(Fd(handle), TCIOFLUSH);
}

void PosixSerialBackend::CloseDevice(SerialHandle handle) {
    const int fd = Fd(handle);
    (void)ioctl(fd, TIOCNXCL);
    // Not retried on EINTR: on Linux the descriptor is gone either way.
    close(fd);
}

std::unique_ptr<SerialBackend> MakePlatformSerialBackend() {
    return std::make_unique<PosixSerialBackend>();
}
