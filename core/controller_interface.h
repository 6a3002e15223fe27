// Base of the three drivers. A driver carries no connection state: the serial port and the
// parameter lists are process-wide.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class ControllerInterface {
public:
    virtual ~ControllerInterface() = default;
    virtual std::string GetName() const = 0;  // "EV48-400-C", "FJ", "Tercel"
    // Makes contact and, on success, reads every group from the controller.
    virtual bool Identify() = 0;
    virtual uint32_t GetBaudRate() const = 0;
};

// What a write of the changed keys came to: the keys the controller confirmed, and those it refused
// or never answered. The unconfirmed ones stay changed (in DirtyKeys) for the page to show and for
// the next write.
struct WriteOutcome {
    std::vector<std::wstring> confirmed;
    std::vector<std::wstring> notConfirmed;

    bool AllConfirmed() const { return notConfirmed.empty(); }
};
