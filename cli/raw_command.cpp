// raw: one typed frame, checked and described as the raw frame page does, and sent only when asked.
// No controller is identified first: the frame is for the technician to choose.
#include <functional>
#include <optional>
#include <ostream>

#include "cli/cli_app.h"
#include "cli/commands.h"
#include "ev48400c/ev48400c_driver.h"
#include "ev48400c/raw_frame.h"
#include "fj/fj_controller.h"
#include "fj/raw_frame.h"
#include "serial/port_list.h"
#include "serial/serial_port.h"
#include "tercel/raw_frame.h"
#include "tercel/tercel_controller.h"

namespace cli {

namespace {

using datafiles::Family;

// The page's two texts, whichever of them a family fills.
struct Described {
    std::optional<std::string> result;
    std::optional<std::string> status;
};

struct RawFamily {
    uint32_t baudRate;
    std::function<Described(std::string_view)> parseTx;
    std::function<Described(std::string_view)> parseRx;
    std::function<std::optional<std::string>(std::string_view)> fix;
    std::function<std::optional<std::string>(std::string_view)> transmit;
};

template <typename Outcome>
Described Texts(const Outcome& outcome) {
    return {outcome.result, outcome.status};
}

RawFamily RawFamilyOf(Family family) {
    switch (family) {
        case Family::EV48400C:
            return {EV48400C::EV48400C().GetBaudRate(),
                    [](std::string_view t) { return Texts(EV48400C::ParseTxFrame(t)); },
                    [](std::string_view t) { return Texts(EV48400C::ParseRxFrame(t)); },
                    EV48400C::FixChecksum, EV48400C::TransmitFrame};
        case Family::FJ:
            return {FJ::FJController().GetBaudRate(),
                    [](std::string_view t) { return Texts(FJ::ParseTxFrame(t)); },
                    [](std::string_view t) { return Texts(FJ::ParseRxFrame(t)); }, FJ::FixChecksum,
                    FJ::TransmitFrame};
        case Family::Tercel:
        case Family::None:
            break;
    }
    return {Tercel::TercelController().GetBaudRate(),
            [](std::string_view t) { return Texts(Tercel::ParseTxFrame(t)); },
            [](std::string_view t) { return Texts(Tercel::ParseRxFrame(t)); }, Tercel::FixChecksum,
            Tercel::TransmitFrame};
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

}  // namespace

int RawCommand(const std::string& portOption, Family family, bool fix, bool send,
               const std::vector<std::string>& hex, CommandIo& io) {
    const RawFamily raw = RawFamilyOf(family);
    std::string frame;
    for (const auto& part : hex) frame += (frame.empty() ? "" : " ") + part;
    if (fix) {
        const auto fixed = raw.fix(frame);
        if (!fixed)
            return Fail(io, kExitRefused, "'" + frame + "' is not a frame whose checksum can be written in");
        frame = *fixed;
    }
    const Described tx = raw.parseTx(frame);
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
    if (!serial.Open(port, raw.baudRate))
        return Fail(io, kExitNoController,
                    "cannot open port " + port + ": check its name (vantrel-cli ports lists them)");
    const auto answer = raw.transmit(frame);
    serial.Close();
    if (!answer)
        return Fail(io, kExitNotConfirmed,
                    "no answer on " + port + ": check the cable, the controller's power and --family");
    Out(io) << "RX " << *answer << '\n';
    WriteDescribed(Out(io), raw.parseRx(*answer));
    return kExitSuccess;
}

}  // namespace cli
