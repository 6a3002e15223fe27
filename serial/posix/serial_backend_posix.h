// The termios backend of SerialPort, and the pieces of it that are plain functions.
#pragma once

#include <termios.h>

#include <cstdint>
#include <optional>
#include <string>

#include "serial/serial_backend.h"

namespace posixserial {

// ttyUSB0 -> /dev/ttyUSB0; a name with a '/' is already a path.
std::string DevicePath(const std::string& portName);

// An errno from opening a device, as the open-failure texts sort it.
struct OpenError {
    uint32_t code;
    OpenFailure failure;
};
OpenError ClassifyOpenErrno(int errorNumber);

std::optional<speed_t> SpeedForBaudRate(uint32_t baudRate);

// 8N1 at speed, binary and transparent; hardware flow control and modem lines stay as they are.
void MakeTransparent8N1(termios& settings, speed_t speed);

}  // namespace posixserial

class PosixSerialBackend final : public SerialBackend {
public:
    OpenResult OpenDevice(const std::string& portName) override;
    LineSetup ApplyLineSettings(SerialHandle handle, uint32_t baudRate) override;
    bool SetTimeouts(SerialHandle handle, const SerialTimeouts& timeouts) override;
    ReadResult ReadSome(SerialHandle handle, uint8_t* buffer, size_t room) override;
    WriteResult WriteAll(SerialHandle handle, const uint8_t* data, size_t length,
                         uint32_t completionWaitMs) override;
    void Purge(SerialHandle handle) override;
    void CloseDevice(SerialHandle handle) override;

private:
    // What the device would hold on Windows; one port per backend.
    SerialTimeouts timeouts_{};
};
