#include "serial/posix/port_list_sysfs.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <tuple>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kBridgeChip = "CH340";
// How far above the tty's device the USB device with the product name may sit (port, interface, device).
constexpr int kMaxLevelsUp = 4;

std::string ReadAttribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line;
}

std::string DriverOf(const fs::path& device) {
    std::error_code error;
    const fs::path driver = fs::read_symlink(device / "driver", error);
    return error ? std::string() : driver.filename().string();
}

// ttyUSB10 -> {"ttyUSB", 10, ...}: numbers compare as numbers.
auto SortKey(const std::string& name) {
    size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9') --digits;
    const std::string number = name.substr(digits);
    return std::make_tuple(name.substr(0, digits), number.size(), number, name);
}

std::string DisplayName(const std::string& ttyName, const fs::path& device, const fs::path& devicesRoot) {
    std::string product;
    bool ch341 = false;
    fs::path level = device;
    for (int up = 0; up <= kMaxLevelsUp && level.has_relative_path() && level != devicesRoot; ++up) {
        // The usb-serial port binds "ch341-uart", its interface "ch341".
        if (DriverOf(level).rfind("ch341", 0) == 0) ch341 = true;
        std::error_code error;
        if (product.empty() && fs::exists(level / "product", error))
            product = ReadAttribute(level / "product");
        if (!product.empty()) break;
        level = level.parent_path();
    }
    std::string shown = product.empty() ? (ch341 ? "USB-SERIAL" : "Serial Port") : product;
    // The auto-selection looks for the bridge chip by name, as Windows' driver spells it into its ports.
    if (ch341 && shown.find(kBridgeChip) == std::string::npos) {
        shown += ' ';
        shown += kBridgeChip;
    }
    shown += " (";
    shown += ttyName;
    shown += ')';
    return shown;
}

}  // namespace

namespace posixserial {

std::vector<SerialPortInfo> ListSysfsSerialPorts(const fs::path& sysRoot) {
    const fs::path classDir = sysRoot / "class" / "tty";
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(classDir, error), end; !error && it != end; it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return SortKey(a) < SortKey(b); });

    std::error_code rootError;
    const fs::path devicesRoot = fs::weakly_canonical(sysRoot / "devices", rootError);
    std::vector<SerialPortInfo> ports;
    for (const std::string& name : names) {
        const fs::path entry = classDir / name;
        std::error_code entryError;
        // Virtual consoles and pseudo-terminals have no device behind them.
        const fs::path device = fs::canonical(entry / "device", entryError);
        if (entryError) continue;
        // A legacy port slot the kernel reserves without a UART behind it reports type 0.
        if (ReadAttribute(entry / "type") == "0") continue;
        ports.push_back(SerialPortInfo{name, DisplayName(name, device, devicesRoot)});
    }
    return ports;
}

}  // namespace posixserial

std::vector<SerialPortInfo> ListSerialPorts() {
    return posixserial::ListSysfsSerialPorts("/sys");
}
