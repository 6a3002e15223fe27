// Base of the three drivers. A driver carries no connection state: the serial port and the
// parameter lists are process-wide.
#pragma once

#include <cstdint>
#include <string>

class ControllerInterface {
public:
    virtual ~ControllerInterface() = default;
    virtual std::string GetName() const = 0;  // "EV48-400-C", "FJ", "Tercel"
    // Makes contact and, on success, reads every group from the controller.
    virtual bool Identify() = 0;
    virtual uint32_t GetBaudRate() const = 0;
};
