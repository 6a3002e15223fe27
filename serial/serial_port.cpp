#include "serial/serial_port.h"

#include <chrono>
#include <thread>

#include "core/host.h"
#include "core/hex_text.h"
#include "core/log.h"
#include "core/prompter.h"

namespace {

constexpr uint32_t kReadIntervalMs = 50;
constexpr uint32_t kOpenTotalMultiplierMs = 10;
constexpr uint32_t kOpenTotalConstantMs = 50;
constexpr uint32_t kWriteCompletionWaitMs = 200;
constexpr uint32_t kReopenPauseMs = 100;
constexpr uint32_t kQuietAfterArrivalMs = 30;
constexpr uint32_t kEmptyReadSleepMs = 5;
constexpr size_t kCompletionByteIndex = 3;

const char* OpenFailureText(OpenFailure failure) {
    switch (failure) {
        case OpenFailure::NotFound:
            return "The specified port does not exist.";
        case OpenFailure::AccessDenied:
            return "The port is already in use or access is denied.";
        default:
            return "An unexpected error occurred.";
    }
}

}  // namespace

SerialTimeouts OpenTimeouts() {
    return SerialTimeouts{kReadIntervalMs, kOpenTotalMultiplierMs, kOpenTotalConstantMs,
                          kOpenTotalMultiplierMs, kOpenTotalConstantMs};
}

SerialTimeouts ReadTimeouts(uint32_t timeoutMs) {
    return SerialTimeouts{kReadIntervalMs, 0, timeoutMs, 0, 0};
}

SerialClock RealSerialClock() {
    return SerialClock{host::TickMs,
                       [](uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }};
}

SerialPort::SerialPort(std::unique_ptr<SerialBackend> backend, SerialClock clock)
    : backend_(std::move(backend)), clock_(std::move(clock)) {}

SerialPort::~SerialPort() {
    // The process-wide port is closed by Shutdown while the log still runs; this only keeps a port
    // that was left open from outliving its object.
    const SerialHandle handle = handle_.exchange(kInvalidSerialHandle);
    if (handle != kInvalidSerialHandle) backend_->CloseDevice(handle);
}

SerialPort& SerialPort::Instance() {
    static SerialPort port(MakePlatformSerialBackend());
    return port;
}

bool SerialPort::Open(const std::string& portName, uint32_t baudRate) {
    if (portName != portName_) portName_ = portName;
    baudRate_ = baudRate;
    // A second Open over an open port would leak the first handle, and with it the exclusive hold on
    // the device that makes every later open of it fail.
    Close();

    const OpenResult opened = backend_->OpenDevice(portName_);
    if (opened.handle == kInvalidSerialHandle) {
        Log("Failed to open " + portName_ + ": Error " + std::to_string(opened.errorCode));
        Log(std::string_view(OpenFailureText(opened.failure)));
        return false;
    }
    handle_.store(opened.handle);

    switch (backend_->ApplyLineSettings(opened.handle, baudRate_)) {
        case LineSetup::GetStateFailed:
            Log("GetCommState failed.");
            CloseAfterFailedSetup();
            return false;
        case LineSetup::SetStateFailed:
            Log("SetCommState failed.");
            CloseAfterFailedSetup();
            return false;
        case LineSetup::Applied:
            break;
    }
    if (!backend_->SetTimeouts(opened.handle, OpenTimeouts())) {
        Log("SetCommTimeouts failed.");
        CloseAfterFailedSetup();
        return false;
    }
    Log("COM port opened and configured successfully.");
    return true;
}

void SerialPort::CloseAfterFailedSetup() {
    const SerialHandle handle = handle_.exchange(kInvalidSerialHandle);
    if (handle != kInvalidSerialHandle) backend_->CloseDevice(handle);
}

void SerialPort::PurgeAndClose(SerialHandle handle) {
    if (handle == kInvalidSerialHandle) return;
    backend_->Purge(handle);
    backend_->CloseDevice(handle);
    Log("COM port closed");
}

bool SerialPort::Reopen() {
    Log("Reopen COM Port " + portName_ + " " + std::to_string(baudRate_));
    SerialHandle old = kInvalidSerialHandle;
    {
        std::lock_guard guard(lock_);
        old = handle_.exchange(kInvalidSerialHandle);
    }
    PurgeAndClose(old);
    // Gives the device (and a USB bridge re-enumerating behind it) time to settle before the new open.
    Pause(kReopenPauseMs);
    return Open(portName_, baudRate_);
}

void SerialPort::Close() {
    PurgeAndClose(handle_.exchange(kInvalidSerialHandle));
}

void SerialPort::Shutdown() {
    Close();
}

void SerialPort::DiscardPending() {
    std::lock_guard guard(lock_);
    const SerialHandle handle = handle_.load();
    if (handle != kInvalidSerialHandle) backend_->Purge(handle);
}

bool SerialPort::Write(const uint8_t* data, size_t length) {
    if (!IsOpen()) {
        Log("COM port not open");
        return false;
    }
    if (data == nullptr || length == 0) {
        Log("Write called with no data");
        return false;
    }
    std::unique_lock guard(lock_);
    const WriteResult result = backend_->WriteAll(handle_.load(), data, length, kWriteCompletionWaitMs);
    switch (result.kind) {
        case WriteResult::Kind::Failed:
            Log("Write failed. Error " + std::to_string(result.code) + ": " + result.errorText);
            Reopen();
            return false;
        case WriteResult::Kind::TimedOut:
            Log("Write timeout or wait failed (code " + std::to_string(result.code) +
                "). Attempting port reopen.");
            guard.unlock();
            Reopen();
            return false;
        case WriteResult::Kind::FailedAfterPending:
            // The device took the write and then failed it: the port itself is fine.
            Log("Write failed after pending. Error " + std::to_string(result.code) + ": " + result.errorText);
            return false;
        case WriteResult::Kind::Completed:
            break;
    }
    if (result.written == length) return true;
    Log("Partial write. Expected " + std::to_string(length) + " bytes, wrote " +
        std::to_string(result.written));
    Reopen();
    return false;
}

// Each pass is one underlying read, which the backend ends only when the room is full, when the line
// has gone quiet after a byte, or at the total time-out. Only then is byte 3 looked at: an answer that
// trickles in byte by byte must not be cut short by a data byte that happens to equal the completion
// byte (a Tercel value 0x81xx carries it at that very index).
std::vector<uint8_t> SerialPort::Read(size_t maxLength, size_t minLength, uint8_t completionByte,
                                      uint32_t timeoutMs) {
    if (!IsOpen() || minLength > maxLength) {
        Log("Invalid COM handle or lengths");
        return {};
    }
    std::vector<uint8_t> buffer(maxLength);
    size_t received = 0;
    {
        std::lock_guard guard(lock_);
        const SerialHandle handle = handle_.load();
        // A port that refuses new time-outs still reads under the ones it has.
        (void)backend_->SetTimeouts(handle, ReadTimeouts(timeoutMs));
        const uint32_t start = clock_.tickMs();
        uint32_t lastArrival = start;
        while (maxLength > 0) {
            const ReadResult result =
                backend_->ReadSome(handle, buffer.data() + received, maxLength - received);
            if (!result.ok) {
                // What this read took in before it failed is in the buffer; keep it with the rest.
                received += result.count;
                Log("ReadFile failed");
                break;
            }
            if (result.count > 0) {
                received += result.count;
                lastArrival = clock_.tickMs();
                if (received >= minLength && received > kCompletionByteIndex &&
                    buffer[kCompletionByteIndex] == completionByte) {
                    break;
                }
            } else {
                if (received >= minLength &&
                    static_cast<uint32_t>(clock_.tickMs() - lastArrival) > kQuietAfterArrivalMs) {
                    break;
                }
                clock_.sleepMs(kEmptyReadSleepMs);
            }
            // Unsigned 32-bit differences: a wrap of the tick counter cannot end a read early.
            if (static_cast<uint32_t>(clock_.tickMs() - start) > timeoutMs || received >= maxLength) break;
        }
    }
    if (received == 0) {
        Log("No data received before timeout");
        return {};
    }
    buffer.resize(received);
    Log(FormatFrame("RX", buffer));
    return buffer;
}
