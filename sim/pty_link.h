// The simulator's end of the line: a pseudo-terminal whose device the program under test opens as its
// serial port, reachable under a fixed path by a symbolic link.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "sim/sim_controller.h"

namespace sim {

class PtyLink {
public:
    PtyLink() = default;
    ~PtyLink();
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    // Creates the pseudo-terminal in raw mode and points linkPath at its device (replacing an old link).
    bool Create(const std::filesystem::path& linkPath, std::string& error);
    const std::string& DevicePath() const { return device_; }

    // The baud rate the far end last set on the line, if the line tells.
    std::optional<uint32_t> LineBaudRate() const;

    // Waits up to timeoutMs for bytes; empty on time-out.
    Bytes ReadAvailable(int timeoutMs);
    // Discards what has arrived and not been read.
    void DiscardInput();
    // Sends bytes; with a baud rate, paced at 10 bits a byte as a real line would carry them.
    bool Send(const Bytes& bytes, std::optional<uint32_t> pacedBaudRate);
    // A cable pulled and plugged back: the pseudo-terminal goes (the far end's handle then fails), the
    // link is gone for downMs, and a fresh pseudo-terminal appears under the same link.
    bool Replug(int downMs, std::string& error);

private:
    int master_ = -1;
    int slave_ = -1;  // kept open so the line survives the far end closing and reopening it
    std::string device_;
    std::filesystem::path link_;
};

}  // namespace sim
