// A serial backend that plays a script and notes every call, a clock moved by hand, and a prompter
// that notes its pauses among those calls, so SerialPort's loops can be followed call by call.
#pragma once

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "serial/serial_port.h"
#include "tests/support/fake_prompter.h"

namespace serialtest {

// One underlying read: how long it takes and what it brings.
struct ScriptedRead {
    uint32_t takesMs = 0;
    std::vector<uint8_t> bytes;
    bool ok = true;
};

// An exhausted script answers with success (opens, writes) or an empty read lasting the total time-out.
class FakeSerialBackend final : public SerialBackend {
public:
    explicit FakeSerialBackend(std::vector<std::string>& events) : events_(events) {}

    std::deque<OpenResult> opens;
    std::deque<WriteResult> writes;
    std::deque<ScriptedRead> reads;
    LineSetup lineSetup = LineSetup::Applied;
    bool timeoutsAccepted = true;
    int underlyingReads = 0;
    uint32_t now = 0;  // the clock, moved by reads and sleeps

    OpenResult OpenDevice(const std::string& portName) override {
        events_.push_back("open " + portName);
        return Next(opens, OpenResult{nextHandle_++, 0, OpenFailure::None});
    }
    LineSetup ApplyLineSettings(SerialHandle handle, uint32_t baudRate) override {
        Note("line", handle, std::to_string(baudRate));
        return lineSetup;
    }
    bool SetTimeouts(SerialHandle handle, const SerialTimeouts& newTimeouts) override {
        Note("timeouts", handle, std::to_string(newTimeouts.readTotalConstantMs));
        if (timeoutsAccepted) readTotalMs_ = newTimeouts.readTotalConstantMs;
        return timeoutsAccepted;
    }
    ReadResult ReadSome(SerialHandle, uint8_t* buffer, size_t room) override {
        ++underlyingReads;
        const ScriptedRead next = Next(reads, ScriptedRead{readTotalMs_, {}, true});
        now += next.takesMs;
        const size_t count = std::min(next.bytes.size(), room);
        std::copy_n(next.bytes.begin(), count, buffer);
        return ReadResult{next.ok, count};
    }
    WriteResult WriteAll(SerialHandle handle, const uint8_t*, size_t length, uint32_t waitMs) override {
        Note("write", handle, std::to_string(length) + " wait " + std::to_string(waitMs));
        return Next(writes, WriteResult{WriteResult::Kind::Completed, length, 0, ""});
    }
    void Purge(SerialHandle handle) override { Note("purge", handle); }
    void CloseDevice(SerialHandle handle) override { Note("close", handle); }

private:
    void Note(const char* call, SerialHandle handle, const std::string& rest = {}) {
        events_.push_back(call + (" " + std::to_string(handle)) + (rest.empty() ? "" : " " + rest));
    }
    template <typename T>
    static T Next(std::deque<T>& queue, T otherwise) {
        if (queue.empty()) return otherwise;
        T next = std::move(queue.front());
        queue.pop_front();
        return next;
    }

    std::vector<std::string>& events_;
    SerialHandle nextHandle_ = 7;
    uint32_t readTotalMs_ = 0;
};

// A SerialPort on the fake, with everything a test looks at.
struct FakePortRig {
    FakePortRig() { prompter.events = &events; }
    std::vector<std::string> events;
    testsupport::FakePrompter prompter;
    FakeSerialBackend* backend = new FakeSerialBackend(events);  // owned by port
    SerialPort port{
        std::unique_ptr<SerialBackend>(backend),
        SerialClock{[this] { return backend->now; }, [this](uint32_t ms) { backend->now += ms; }}};
};

}  // namespace serialtest
