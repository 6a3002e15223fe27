// The one serial link of the program. It knows no protocol: the drivers send a request with Write and
// collect the answer with Read, giving the family's lengths, completion byte and time-out.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "serial/serial_backend.h"

// The millisecond tick and the short sleep of the read loop; tests drive both by hand.
struct SerialClock {
    std::function<uint32_t()> tickMs;
    std::function<void(uint32_t)> sleepMs;
};
SerialClock RealSerialClock();

class SerialPort {
public:
    explicit SerialPort(std::unique_ptr<SerialBackend> backend, SerialClock clock = RealSerialClock());
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // The process-wide port, on the platform's backend.
    static SerialPort& Instance();

    bool Open(const std::string& portName, uint32_t baudRate);
    bool Reopen();
    bool Write(const uint8_t* data, size_t length);
    std::vector<uint8_t> Read(size_t maxLength, size_t minLength, uint8_t completionByte, uint32_t timeoutMs);
    // Throws away what has arrived and not been read, and what waits to go out; nothing when closed.
    void DiscardPending();
    void Close();
    void Shutdown();

    bool IsOpen() const { return handle_.load() != kInvalidSerialHandle; }
    const std::string& PortName() const { return portName_; }
    uint32_t BaudRate() const { return baudRate_; }

private:
    void PurgeAndClose(SerialHandle handle);
    void CloseAfterFailedSetup();

    std::unique_ptr<SerialBackend> backend_;
    SerialClock clock_;
    std::atomic<SerialHandle> handle_{kInvalidSerialHandle};
    std::string portName_;
    uint32_t baudRate_ = 0;
    std::recursive_mutex lock_;
};
