// The Win32 backend of SerialPort: a COM device opened for overlapped I/O.
#pragma once

#include <cstdint>
#include <string>

#include "serial/serial_backend.h"

namespace win32serial {

// COM3 -> \\.\COM3
std::string DevicePath(const std::string& portName);
OpenFailure ClassifyOpenError(uint32_t errorCode);
// The system's text for an error code, without the line break it ends with.
std::string SystemErrorText(uint32_t errorCode);

}  // namespace win32serial

class Win32SerialBackend final : public SerialBackend {
public:
    OpenResult OpenDevice(const std::string& portName) override;
    LineSetup ApplyLineSettings(SerialHandle handle, uint32_t baudRate) override;
    bool SetTimeouts(SerialHandle handle, const SerialTimeouts& timeouts) override;
    ReadResult ReadSome(SerialHandle handle, uint8_t* buffer, size_t room) override;
    WriteResult WriteAll(SerialHandle handle, const uint8_t* data, size_t length,
                         uint32_t completionWaitMs) override;
    void Purge(SerialHandle handle) override;
    void CloseDevice(SerialHandle handle) override;
};
