#include "serial/posix/serial_backend_posix.h"

#include <cerrno>

#include <gtest/gtest.h>

using namespace posixserial;

TEST(PosixSerialBackend, LooksUpBareNamesUnderDev) {
    EXPECT_EQ(DevicePath("ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(DevicePath("/dev/pts/4"), "/dev/pts/4");
    EXPECT_EQ(DevicePath("serial/by-id/usb-1a86_USB_Serial-if00-port0"),
              "serial/by-id/usb-1a86_USB_Serial-if00-port0");
}

TEST(PosixSerialBackend, SortsOpenErrorsLikeWindows) {
    struct Case {
        int errorNumber;
        uint32_t code;
        OpenFailure failure;
    };
    const Case kCases[] = {
        {ENOENT, 2, OpenFailure::NotFound},     {ENODEV, 2, OpenFailure::NotFound},
        {ENXIO, 2, OpenFailure::NotFound},      {ENOTDIR, 2, OpenFailure::NotFound},
        {EACCES, 5, OpenFailure::AccessDenied}, {EPERM, 5, OpenFailure::AccessDenied},
        {EBUSY, 5, OpenFailure::AccessDenied},  {ELOOP, 40, OpenFailure::Other},
        {EIO, 5, OpenFailure::Other},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.errorNumber);
        const OpenError error = ClassifyOpenErrno(c.errorNumber);
        EXPECT_EQ(error.code, c.code);
        EXPECT_EQ(error.failure, c.failure);
    }
}

TEST(PosixSerialBackend, KnowsTheFamiliesBaudRates) {
    EXPECT_EQ(SpeedForBaudRate(19200), B19200);
    EXPECT_EQ(SpeedForBaudRate(38400), B38400);
    EXPECT_EQ(SpeedForBaudRate(115200), B115200);
    EXPECT_EQ(SpeedForBaudRate(12345), std::nullopt);
}

TEST(PosixSerialBackend, MakesACookedTerminalTransparent) {
    termios settings{};
    settings.c_iflag = ICRNL | INLCR | IGNCR | IXON | IXOFF | IXANY | BRKINT | ISTRIP | PARMRK | INPCK;
    settings.c_oflag = OPOST | ONLCR;
    settings.c_lflag = ICANON | ECHO | ECHOE | ECHOK | ECHONL | ISIG | IEXTEN;
    settings.c_cflag = CS7 | PARENB | PARODD | CSTOPB | CRTSCTS | CLOCAL | HUPCL;
    MakeTransparent8N1(settings, B38400);

    EXPECT_EQ(settings.c_iflag, 0u);
    EXPECT_EQ(settings.c_oflag & OPOST, 0u);
    EXPECT_EQ(settings.c_lflag, 0u);
    EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(settings.c_cflag & (PARENB | CSTOPB), 0u);
    // Flow control and modem lines are the device's business.
    EXPECT_EQ(settings.c_cflag & (CRTSCTS | CLOCAL | HUPCL), static_cast<tcflag_t>(CRTSCTS | CLOCAL | HUPCL));
    EXPECT_NE(settings.c_cflag & CREAD, 0u);
    EXPECT_EQ(settings.c_cc[VMIN], 1);
    EXPECT_EQ(settings.c_cc[VTIME], 0);
    EXPECT_EQ(cfgetispeed(&settings), static_cast<speed_t>(B38400));
    EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(B38400));
}
