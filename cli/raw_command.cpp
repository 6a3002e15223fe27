// raw: one typed frame, checked and described as the raw frame page does, and sent only when asked.
// No controller is identified first: the frame is for the technician to choose.
#include <functional>
#include <optional>
#include <ostream>

#include "cli/cli_app.h"
#include "cli/commands.h"
#include "core/hex_text.h"
#include "serial/port_list.h"
#include "serial/serial_port.h"
#include "session/family_table.h"

namespace cli {

namespace {

// The page's two texts, whichever of them a family fills.
struct Described {
    std::optional<std::string> result;
    std::optional<std::string> status;
};

Described Texts(const RawFrameOutcome& outcome) {
    return {outcome.result, outcome.status};
}

// The page's texts end lines with CR LF and may end in blank lines.
std::string Lines(std::string text) {
    std::string lines;
    for (char c : text)
        if (c != '\r') lines += c;
    while (!lines.empty() && lines.back() == '\n') lines.pop_back();
    return lines;
}

void WriteDescribed(std::ostream& out, const Described& described) {
    for (const auto& text : {described.result, described.status})
        if (text && !Lines(*text).empty()) out << Lines(*text) << '\n';
}

// What the page shows for a frame it refuses.
bool Refused(const Described& described) {
    for (const auto& text : {described.result, described.status})
        if (text && text->rfind("Invalid", 0) == 0) return true;
    return false;
}

// Why the typed frame is refused before anything else looks at it, or empty. Text that is not hex is
// left to the family's own check, which names what is wrong with it.
std::string SizeProblem(Family family, const std::string& frame) {
    const auto bytes = TryFromHex(frame);
    if (!bytes) return {};
    if (bytes->empty()) return "the frame is empty: type its bytes in hex";
    const size_t longest = session::Ops(family).raw.longestFrame;
    if (bytes->size() > longest)
        return "the frame has " + std::to_string(bytes->size()) + " bytes where the longest " +
               session::FamilyName(family) + " frame has " + std::to_string(longest) + ": nothing was sent";
    return {};
}

}  // namespace

int RawCommand(const std::string& portOption, Family family, bool fix, bool send,
               const std::vector<std::string>& hex, CommandIo& io) {
    const session::FamilyOps& ops = session::Ops(family);
    const session::RawFrameCommands& raw = ops.raw;
    std::string frame;
    for (const auto& part : hex) frame += (frame.empty() ? "" : " ") + part;
    if (const std::string why = SizeProblem(family, frame); !why.empty()) return Fail(io, kExitRefused, why);
    if (fix) {
        const auto fixed = raw.fixChecksum(frame);
        if (!fixed)
            return Fail(io, kExitRefused, "'" + frame + "' is not a frame whose checksum can be written in");
        frame = *fixed;
        if (const std::string why = SizeProblem(family, frame); !why.empty())
            return Fail(io, kExitRefused, why);
    }
    const Described tx = Texts(raw.parseTx(frame));
    Out(io) << "TX " << frame << '\n';
    WriteDescribed(Out(io), tx);
    if (Refused(tx))
        return Fail(io, kExitRefused,
                    "the frame was refused and not sent: correct it, or add --fix for its checksum");
    if (!send) return kExitSuccess;

    std::string port = portOption;
    if (port.empty()) {
        const PortChoice choice = RefreshPorts();
        if (!choice.CanConnect())
            return Fail(io, kExitNoController, "no serial port found: name one with --port");
        port = choice.ports[static_cast<size_t>(choice.selected)].port;
    }
    SerialPort& serial = SerialPort::Instance();
    if (!serial.Open(port, ops.baudRate))
        return Fail(io, kExitNoController,
                    "cannot open port " + port + ": check its name (vantrel-cli ports lists them)");
    const auto answer = raw.transmit(frame);
    serial.Close();
    if (!answer)
        return Fail(io, kExitNotConfirmed,
                    "no answer on " + port + ": check the cable, the controller's power and --family");
    Out(io) << "RX " << *answer << '\n';
    WriteDescribed(Out(io), Texts(raw.parseRx(*answer)));
    return kExitSuccess;
}

}  // namespace cli
