#include "serial/win32/serial_backend_win32.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "core/text.h"
#include "serial/win32/comm_timeouts.h"

namespace {

HANDLE Handle(SerialHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// Wine completes a read or write that ran into its total time-out with STATUS_TIMEOUT, which Windows
// counts as success; either way the operation is over with the bytes it moved.
bool EndedByTotalTimeout(DWORD error) {
    return error == ERROR_TIMEOUT;
}

// A manual-reset event for one overlapped operation, closed with it.
class OverlappedEvent {
public:
    OverlappedEvent() { overlapped_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr); }
    ~OverlappedEvent() {
        if (overlapped_.hEvent != nullptr) CloseHandle(overlapped_.hEvent);
    }
    OverlappedEvent(const OverlappedEvent&) = delete;
    OverlappedEvent& operator=(const OverlappedEvent&) = delete;
    bool Valid() const { return overlapped_.hEvent != nullptr; }
    OVERLAPPED* Get() { return &overlapped_; }

private:
    OVERLAPPED overlapped_{};
};

}  // namespace

namespace win32serial {

// Without the prefix CreateFile finds COM1 to COM9 only; COM10 and up exist solely in the device
// namespace.
std::string DevicePath(const std::string& portName) {
    return "\\\\.\\" + portName;
}

OpenFailure ClassifyOpenError(uint32_t errorCode) {
    switch (errorCode) {
        case ERROR_FILE_NOT_FOUND:
            return OpenFailure::NotFound;
        case ERROR_ACCESS_DENIED:
            return OpenFailure::AccessDenied;
        default:
            return OpenFailure::Other;
    }
}

std::string SystemErrorText(uint32_t errorCode) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        errorCode, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&buffer), 0,
        nullptr);
    std::wstring message = length > 0 && buffer != nullptr ? std::wstring(buffer, length) : std::wstring();
    if (buffer != nullptr) LocalFree(buffer);
    while (!message.empty() &&
           (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
        message.pop_back();
    }
    return text::WideToUtf8(message);
}

}  // namespace win32serial

// Overlapped mode is what lets Write bound its wait: on a synchronous handle a stalled write blocks
// inside WriteFile, and after a Read has set the write time-outs to "none" it would block for ever.
OpenResult Win32SerialBackend::OpenDevice(const std::string& portName) {
    const std::string path = win32serial::DevicePath(portName);
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return OpenResult{kInvalidSerialHandle, error, win32serial::ClassifyOpenError(error)};
    }
    return OpenResult{reinterpret_cast<SerialHandle>(handle), 0, OpenFailure::None};
}

LineSetup Win32SerialBackend::ApplyLineSettings(SerialHandle handle, uint32_t baudRate) {
    DCB settings{};
    settings.DCBlength = sizeof settings;
    if (!GetCommState(Handle(handle), &settings)) return LineSetup::GetStateFailed;
    settings.BaudRate = baudRate;
    settings.ByteSize = 8;
    settings.Parity = NOPARITY;
    settings.StopBits = ONESTOPBIT;
    // The frames are binary: a driver left in XON/XOFF mode (Wine maps a terminal's IXON onto it) would
    // swallow every 0x11 and 0x13, and the null filter every 0x00. Hardware flow control and the modem
    // lines stay as the device reported them.
    settings.fBinary = TRUE;
    settings.fOutX = FALSE;
    settings.fInX = FALSE;
    settings.fNull = FALSE;
    if (!SetCommState(Handle(handle), &settings)) return LineSetup::SetStateFailed;
    return LineSetup::Applied;
}

bool Win32SerialBackend::SetTimeouts(SerialHandle handle, const SerialTimeouts& timeouts) {
    COMMTIMEOUTS comm = ToCommTimeouts(timeouts);
    return SetCommTimeouts(Handle(handle), &comm) != FALSE;
}

ReadResult Win32SerialBackend::ReadSome(SerialHandle handle, uint8_t* buffer, size_t room) {
    OverlappedEvent pending;
    if (!pending.Valid()) return ReadResult{false, 0};
    const DWORD ask = static_cast<DWORD>(std::min<size_t>(room, MAXDWORD));
    if (!ReadFile(Handle(handle), buffer, ask, nullptr, pending.Get())) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING && !EndedByTotalTimeout(error)) return ReadResult{false, 0};
    }
    DWORD got = 0;
    if (!GetOverlappedResult(Handle(handle), pending.Get(), &got, TRUE)) {
        return ReadResult{EndedByTotalTimeout(GetLastError()), got};
    }
    return ReadResult{true, got};
}

WriteResult Win32SerialBackend::WriteAll(SerialHandle handle, const uint8_t* data, size_t length,
                                         uint32_t completionWaitMs) {
    const HANDLE port = Handle(handle);
    WriteResult result;
    OverlappedEvent pending;
    if (!pending.Valid()) {
        result.kind = WriteResult::Kind::Failed;
        result.code = GetLastError();
        result.errorText = win32serial::SystemErrorText(result.code);
        return result;
    }
    const DWORD ask = static_cast<DWORD>(std::min<size_t>(length, MAXDWORD));
    if (!WriteFile(port, data, ask, nullptr, pending.Get())) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING && !EndedByTotalTimeout(error)) {
            result.kind = WriteResult::Kind::Failed;
            result.code = error;
            result.errorText = win32serial::SystemErrorText(error);
            return result;
        }
        const DWORD wait = error == ERROR_IO_PENDING
                               ? WaitForSingleObject(pending.Get()->hEvent, completionWaitMs)
                               : WAIT_OBJECT_0;
        if (wait != WAIT_OBJECT_0) {
            CancelIoEx(port, pending.Get());
            // The driver owns the OVERLAPPED and the event until the cancelled write has finished.
            DWORD ignored = 0;
            GetOverlappedResult(port, pending.Get(), &ignored, TRUE);
            // Discards what is still queued; FlushFileBuffers would wait for it to drain, which on a
            // stalled line never happens.
            PurgeComm(port, PURGE_TXABORT | PURGE_TXCLEAR);
            DWORD errors = 0;
            COMSTAT status{};
            ClearCommError(port, &errors, &status);
            result.kind = WriteResult::Kind::TimedOut;
            result.code = wait;
            return result;
        }
    }
    DWORD written = 0;
    if (!GetOverlappedResult(port, pending.Get(), &written, FALSE)) {
        const DWORD error = GetLastError();
        if (!EndedByTotalTimeout(error)) {
            result.kind = WriteResult::Kind::FailedAfterPending;
            result.code = error;
            result.errorText = win32serial::SystemErrorText(error);
            return result;
        }
    }
    // A write that ran into its own total time-out ends successfully with fewer bytes.
    result.written = written;
    return result;
}

void Win32SerialBackend::Purge(SerialHandle handle) {
    PurgeComm(Handle(handle), PURGE_TXCLEAR | PURGE_RXCLEAR);
}

void Win32SerialBackend::CloseDevice(SerialHandle handle) {
    CloseHandle(Handle(handle));
}

std::unique_ptr<SerialBackend> MakePlatformSerialBackend() {
    return std::make_unique<Win32SerialBackend>();
}
