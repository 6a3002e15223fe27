// The Linux inventory of serial ports, read from sysfs.
#pragma once

#include <filesystem>
#include <vector>

#include "serial/port_list.h"

namespace posixserial {

// The terminals under sysRoot/class/tty with a real device behind them, in name order with numbers
// compared as numbers (ttyS2 before ttyS10), each shown as "<USB product> (<tty>)".
std::vector<SerialPortInfo> ListSysfsSerialPorts(const std::filesystem::path& sysRoot);

}  // namespace posixserial
