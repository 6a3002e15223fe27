// The candidate serial ports and the one picked without the user.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct SerialPortInfo {
    std::string port;  // what SerialPort::Open takes: COM3, ttyUSB0
    std::string name;  // shown in the list: USB-SERIAL CH340 (COM3)
    bool operator==(const SerialPortInfo&) const = default;
};

// The platform's inventory, in a stable order; empty on any failure.
std::vector<SerialPortInfo> ListSerialPorts();

// The port inside a Windows display name ("USB-SERIAL CH340 (COM3)" gives COM3); nothing when the
// name carries none.
std::optional<std::string> PortFromDisplayName(std::string_view displayName);

// How a registry entry is shown: "\Device\Serial0" with COM1 gives "Serial0 (COM1)".
std::string SerialCommDisplayName(std::string_view deviceName, std::string_view port);

// The entry to pre-select: the first cable with the CH340 bridge, else the first entry; -1 for none.
int AutoSelectPort(const std::vector<SerialPortInfo>& ports);

struct PortChoice {
    std::vector<SerialPortInfo> ports;
    int selected = -1;
    bool CanConnect() const { return !ports.empty() && selected >= 0; }
};

using PortLister = std::function<std::vector<SerialPortInfo>()>;

// A fresh list with its auto-selection, logged when there is one.
PortChoice RefreshPorts(const PortLister& listPorts = ListSerialPorts);
