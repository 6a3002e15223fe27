#include "serial/posix/port_list_sysfs.h"
#include "serial/posix/serial_backend_posix.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
using testing::ElementsAre;

// A small sysfs as the kernel lays it out: class/tty/<name> links to the tty's own folder, whose
// "device" link points at the port device below devices/; a ttyS reports its UART type.
TEST(SysfsPortList, ListsRealSerialDevicesInNumberOrder) {
    testsupport::TempDir temp;
    const fs::path root = temp.Path();
    const auto device = [&](const std::string& relative, const std::string& driver,
                            const char* product = "") {
        const fs::path dir = root / "devices" / relative;
        fs::create_directories(dir);
        fs::create_directories(root / "bus" / "drivers" / driver);
        fs::create_directory_symlink(root / "bus" / "drivers" / driver, dir / "driver");
        if (*product) testsupport::WriteFileBytes(dir / "product", product + std::string("\n"));
        return dir;
    };
    const auto tty = [&](const std::string& name, const fs::path& dev, const char* type = "") {
        const fs::path dir = (dev.empty() ? root / "devices" / "virtual" / "tty" : dev / "tty") / name;
        fs::create_directories(dir);
        fs::create_directories(root / "class" / "tty");
        if (!dev.empty()) fs::create_directory_symlink(dev, dir / "device");
        if (*type) testsupport::WriteFileBytes(dir / "type", type + std::string("\n"));
        fs::create_directory_symlink(dir, root / "class" / "tty" / name);
    };
    device("usb1/1-1", "usb", "FT232R USB UART");
    tty("ttyUSB10", device("usb1/1-1/1-1:1.0/ttyUSB10", "ftdi_sio"));
    // A CH340 cable is named so that it is picked.
    device("usb1/1-2", "usb", "USB Serial");
    device("usb1/1-2/1-2:1.0", "ch341");
    tty("ttyUSB2", device("usb1/1-2/1-2:1.0/ttyUSB2", "ch341-uart"));
    tty("ttyS0", device("pnp0/00:01", "serial"), "4");
    tty("ttyS1", device("platform/serial8250", "serial8250"), "0");
    tty("tty0", {});

    EXPECT_THAT(posixserial::ListSysfsSerialPorts(root),
                ElementsAre(SerialPortInfo{"ttyS0", "Serial Port (ttyS0)"},
                            SerialPortInfo{"ttyUSB2", "USB Serial CH340 (ttyUSB2)"},
                            SerialPortInfo{"ttyUSB10", "FT232R USB UART (ttyUSB10)"}));
    EXPECT_TRUE(posixserial::ListSysfsSerialPorts(root / "nothing").empty());
}

// The port list gives bare names; the device is under /dev, not in the working folder.
TEST(PosixSerialBackend, LooksUpBareNamesUnderDev) {
    EXPECT_EQ(posixserial::DevicePath("ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(posixserial::DevicePath("/dev/pts/4"), "/dev/pts/4");
}
