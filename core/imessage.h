// Base of every protocol message and parameter group of the three families.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Frame = std::vector<uint8_t>;

class IMessage {
public:
    virtual ~IMessage() = default;
    // Whether a received frame is one of this message. The body here is the EV48-400-C frame check
    // ("WI", length byte, checksum, identifier, "SE"); the other families override it.
    virtual bool IsValid(const Frame& frame) const;
    virtual uint8_t GetId() const = 0;
    // Checks the frame and takes its fields; on failure logs "<ClassName>: Invalid data" and keeps
    // the fields as they were.
    virtual bool Parse(const Frame& frame) = 0;
    // The complete frame that writes this group to the controller.
    virtual Frame Serialize() const = 0;
    virtual std::string GetName() const = 0;
    virtual std::string Describe() const = 0;

protected:
    // Groups are copied by value: a fresh parse is assigned into the long-lived object the entries
    // point at.
    IMessage() = default;
    IMessage(const IMessage&) = default;
    IMessage& operator=(const IMessage&) = default;
    IMessage(IMessage&&) = default;
    IMessage& operator=(IMessage&&) = default;
};

// Sum of frame[first..last] modulo 256 (empty when last < first).
uint8_t SumChecksum(const Frame& frame, size_t first, size_t last);
