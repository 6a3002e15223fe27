// A serial backend that plays a script, a clock moved by hand, and a prompter that only notes its
// pauses, so SerialPort's loops can be followed call by call.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "core/prompter.h"
#include "serial/serial_port.h"

namespace serialtest {

struct FakeClock {
    uint32_t now = 0;
    SerialClock Clock() {
        return SerialClock{[this] { return now; }, [this](uint32_t ms) { now += ms; }};
    }
};

// One underlying read: how long it takes and what it brings.
struct ScriptedRead {
    uint32_t takesMs = 0;
    std::vector<uint8_t> bytes;
    bool ok = true;
};

class FakeSerialBackend final : public SerialBackend {
public:
    FakeSerialBackend(FakeClock& clock, std::vector<std::string>& events) : clock_(clock), events_(events) {}

    // What the next calls answer; an exhausted list answers with success (opens, writes) or with an
    // empty read that lasts the total time-out (reads).
    std::deque<OpenResult> opens;
    std::deque<WriteResult> writes;
    std::deque<ScriptedRead> reads;
    LineSetup lineSetup = LineSetup::Applied;
    bool timeoutsAccepted = true;
    SerialTimeouts timeouts{};
    int underlyingReads = 0;

    OpenResult OpenDevice(const std::string& portName) override {
        events_.push_back("open " + portName);
        return Next(opens, OpenResult{nextHandle_++, 0, OpenFailure::None});
    }
    LineSetup ApplyLineSettings(SerialHandle handle, uint32_t baudRate) override {
        events_.push_back("line " + std::to_string(handle) + " " + std::to_string(baudRate));
        return lineSetup;
    }
    bool SetTimeouts(SerialHandle handle, const SerialTimeouts& newTimeouts) override {
        events_.push_back("timeouts " + std::to_string(handle) + " " +
                          std::to_string(newTimeouts.readTotalConstantMs));
        if (timeoutsAccepted) timeouts = newTimeouts;
        return timeoutsAccepted;
    }
    ReadResult ReadSome(SerialHandle, uint8_t* buffer, size_t room) override {
        ++underlyingReads;
        const ScriptedRead next = Next(reads, ScriptedRead{timeouts.readTotalConstantMs, {}, true});
        clock_.now += next.takesMs;
        const size_t count = next.bytes.size() < room ? next.bytes.size() : room;
        for (size_t i = 0; i < count; ++i) buffer[i] = next.bytes[i];
        return ReadResult{next.ok, count};
    }
    WriteResult WriteAll(SerialHandle handle, const uint8_t*, size_t length,
                         uint32_t completionWaitMs) override {
        events_.push_back("write " + std::to_string(handle) + " " + std::to_string(length) + " wait " +
                          std::to_string(completionWaitMs));
        WriteResult all;
        all.written = length;
        return Next(writes, all);
    }
    void Purge(SerialHandle handle) override { events_.push_back("purge " + std::to_string(handle)); }
    void CloseDevice(SerialHandle handle) override { events_.push_back("close " + std::to_string(handle)); }

private:
    template <typename T>
    static T Next(std::deque<T>& queue, T otherwise) {
        if (queue.empty()) return otherwise;
        T next = std::move(queue.front());
        queue.pop_front();
        return next;
    }

    FakeClock& clock_;
    std::vector<std::string>& events_;
    SerialHandle nextHandle_ = 7;
};

class PauseRecorder final : public Prompter {
public:
    explicit PauseRecorder(std::vector<std::string>& events)
        : events_(events), previous_(SetPrompter(this)) {}
    ~PauseRecorder() override { SetPrompter(previous_); }
    PauseRecorder(const PauseRecorder&) = delete;
    PauseRecorder& operator=(const PauseRecorder&) = delete;

    void ShowMessage(const std::wstring&, const std::wstring&, MessageIcon) override {}
    bool Confirm(const std::wstring&, const std::wstring&) override { return false; }
    std::optional<std::filesystem::path> ChooseOpenFile(const FileDialogRequest&) override {
        return std::nullopt;
    }
    std::optional<std::filesystem::path> ChooseSaveFile(const FileDialogRequest&) override {
        return std::nullopt;
    }
    void Pause(uint32_t milliseconds) override { events_.push_back("pause " + std::to_string(milliseconds)); }

private:
    std::vector<std::string>& events_;
    Prompter* previous_;
};

// A SerialPort on the fake, with everything a test looks at.
struct FakePortRig {
    std::vector<std::string> events;
    FakeClock clock;
    PauseRecorder pauses{events};
    FakeSerialBackend* backend = nullptr;
    SerialPort port;

    FakePortRig() : port(MakeBackend(), clock.Clock()) {}

private:
    std::unique_ptr<SerialBackend> MakeBackend() {
        auto fake = std::make_unique<FakeSerialBackend>(clock, events);
        backend = fake.get();
        return fake;
    }
};

}  // namespace serialtest
