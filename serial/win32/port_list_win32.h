// The two Windows inventories behind ListSerialPorts.
#pragma once

#include <vector>

#include "serial/port_list.h"

namespace win32serial {

// Plug and Play devices whose WMI display name carries a COM port.
std::vector<SerialPortInfo> ListPortsWmi();
// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, each entry named like the WMI ones ("Serial0 (COM1)").
std::vector<SerialPortInfo> ListPortsSerialComm();

}  // namespace win32serial
