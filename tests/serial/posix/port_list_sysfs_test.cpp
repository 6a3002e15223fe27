#include "serial/posix/port_list_sysfs.h"
#include "serial/posix/serial_backend_posix.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
using testing::ElementsAre;

namespace {

// A small sysfs: devices under devices/, and class/tty/<name> linking to the tty's own folder, whose
// "device" link points at the port device, as the kernel lays them out.
class FakeSysfs {
public:
    explicit FakeSysfs(const fs::path& root) : root_(root) {
        fs::create_directories(root_ / "class" / "tty");
    }

    // A device folder below devices/, with optional attributes and driver.
    fs::path Device(const std::string& relative, const std::string& driver = {},
                    const std::string& product = {}) {
        const fs::path dir = root_ / "devices" / relative;
        fs::create_directories(dir);
        if (!driver.empty()) {
            fs::create_directories(root_ / "bus" / "drivers" / driver);
            fs::create_directory_symlink(root_ / "bus" / "drivers" / driver, dir / "driver");
        }
        if (!product.empty()) testsupport::WriteFileBytes(dir / "product", product + "\n");
        return dir;
    }

    // A tty; without a device it is a virtual one.
    void Tty(const std::string& name, const fs::path& device, const std::string& type = {}) {
        const fs::path ttyDir =
            (device.empty() ? root_ / "devices" / "virtual" / "tty" : device / "tty") / name;
        fs::create_directories(ttyDir);
        if (!device.empty()) fs::create_directory_symlink(device, ttyDir / "device");
        if (!type.empty()) testsupport::WriteFileBytes(ttyDir / "type", type + "\n");
        fs::create_directory_symlink(ttyDir, root_ / "class" / "tty" / name);
    }

private:
    fs::path root_;
};

}  // namespace

TEST(SysfsPortList, ListsRealSerialDevicesInNumberOrder) {
    testsupport::TempDir temp;
    FakeSysfs sys(temp.Path());
    sys.Device("pci0/usb1/1-1", "usb", "FT232R USB UART");
    sys.Device("pci0/usb1/1-1/1-1:1.0", "ftdi_sio");
    sys.Tty("ttyUSB10", sys.Device("pci0/usb1/1-1/1-1:1.0/ttyUSB10", "ftdi_sio"));
    sys.Device("pci0/usb1/1-2", "usb", "USB Serial");
    sys.Device("pci0/usb1/1-2/1-2:1.0", "ch341");
    sys.Tty("ttyUSB2", sys.Device("pci0/usb1/1-2/1-2:1.0/ttyUSB2", "ch341-uart"));
    // A CH340 cable without a product string is still named so that it is picked.
    sys.Device("pci0/usb1/1-4", "usb");
    sys.Device("pci0/usb1/1-4/1-4:1.0", "ch341");
    sys.Tty("ttyUSB0", sys.Device("pci0/usb1/1-4/1-4:1.0/ttyUSB0", "ch341-uart"));
    sys.Device("pci0/usb1/1-3", "usb", "Tiny Controller");
    sys.Tty("ttyACM0", sys.Device("pci0/usb1/1-3/1-3:1.0", "cdc_acm"));
    sys.Tty("ttyS0", sys.Device("pnp0/00:01", "serial"), "4");
    sys.Tty("ttyS1", sys.Device("platform/serial8250", "serial8250"), "0");
    sys.Tty("tty0", {});
    sys.Tty("ptmx", {});

    EXPECT_THAT(posixserial::ListSysfsSerialPorts(temp.Path()),
                ElementsAre(SerialPortInfo{"ttyACM0", "Tiny Controller (ttyACM0)"},
                            SerialPortInfo{"ttyS0", "Serial Port (ttyS0)"},
                            SerialPortInfo{"ttyUSB0", "USB-SERIAL CH340 (ttyUSB0)"},
                            SerialPortInfo{"ttyUSB2", "USB Serial CH340 (ttyUSB2)"},
                            SerialPortInfo{"ttyUSB10", "FT232R USB UART (ttyUSB10)"}));
    EXPECT_TRUE(posixserial::ListSysfsSerialPorts(temp.Path() / "nothing").empty());
}

// The port list gives bare names; the device is under /dev, not in the working folder.
TEST(PosixSerialBackend, LooksUpBareNamesUnderDev) {
    EXPECT_EQ(posixserial::DevicePath("ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(posixserial::DevicePath("/dev/pts/4"), "/dev/pts/4");
}
