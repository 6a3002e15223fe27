// What SerialPort needs from the operating system, one implementation per platform (serial/posix,
// serial/win32). The backend holds no port of its own: SerialPort owns the handle and passes it in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// A Windows HANDLE or a POSIX file descriptor. Both platforms mark "no port" with all bits set.
using SerialHandle = std::intptr_t;
inline constexpr SerialHandle kInvalidSerialHandle = -1;

// The five time-outs of a Windows COM port, in milliseconds; 0 means "no limit". POSIX reproduces
// what ReadFile and WriteFile do under them.
struct SerialTimeouts {
    uint32_t readIntervalMs = 0;
    uint32_t readTotalMultiplierMs = 0;
    uint32_t readTotalConstantMs = 0;
    uint32_t writeTotalMultiplierMs = 0;
    uint32_t writeTotalConstantMs = 0;
    bool operator==(const SerialTimeouts&) const = default;
};

// Applied by Open.
SerialTimeouts OpenTimeouts();
// Applied by every Read: the interval rule, a total of timeoutMs, and no write limit of their own.
SerialTimeouts ReadTimeouts(uint32_t timeoutMs);

enum class OpenFailure { None, NotFound, AccessDenied, Other };

struct OpenResult {
    SerialHandle handle = kInvalidSerialHandle;
    uint32_t errorCode = 0;  // as the log shows it, in Windows' numbering where a failure has one
    OpenFailure failure = OpenFailure::None;
};

enum class LineSetup { Applied, GetStateFailed, SetStateFailed };

struct ReadResult {
    bool ok = true;
    size_t count = 0;
};

// Reported by a completion wait that ran out; the Windows value, so both platforms log the same line.
inline constexpr uint32_t kWaitTimedOut = 258;
inline constexpr uint32_t kWaitFailed = 0xFFFFFFFFu;

struct WriteResult {
    enum class Kind {
        Completed,           // finished within the wait; written may still be short
        Failed,              // refused at once
        TimedOut,            // still pending when the wait ended; cancelled and flushed
        FailedAfterPending,  // finished within the wait, with an error
    };
    Kind kind = Kind::Completed;
    size_t written = 0;
    uint32_t code = 0;      // platform error for the failures, wait result for TimedOut
    std::string errorText;  // the platform's text for code (failures only)
};

class SerialBackend {
public:
    virtual ~SerialBackend() = default;
    // portName as the user picked it (COM3, ttyUSB0, /dev/pts/4); exclusive, existing device only.
    virtual OpenResult OpenDevice(const std::string& portName) = 0;
    // Reads the device's settings and changes only baud rate, 8 data bits, no parity, one stop bit.
    virtual LineSetup ApplyLineSettings(SerialHandle handle, uint32_t baudRate) = 0;
    virtual bool SetTimeouts(SerialHandle handle, const SerialTimeouts& timeouts) = 0;
    // One underlying read of up to room bytes under the time-outs in force: it returns when room is
    // filled, when the interval passed after the latest byte, or when the total time-out passed.
    virtual ReadResult ReadSome(SerialHandle handle, uint8_t* buffer, size_t room) = 0;
    // Writes all bytes under the write time-outs in force, waiting at most completionWaitMs.
    virtual WriteResult WriteAll(SerialHandle handle, const uint8_t* data, size_t length,
                                 uint32_t completionWaitMs) = 0;
    // Discards what waits in both directions.
    virtual void Purge(SerialHandle handle) = 0;
    virtual void CloseDevice(SerialHandle handle) = 0;
};

// The backend of the platform the program was built for.
std::unique_ptr<SerialBackend> MakePlatformSerialBackend();
