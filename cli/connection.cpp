#include "cli/connection.h"

#include "cli/cli_app.h"
#include "serial/port_list.h"
#include "serial/serial_port.h"
#include "session/family_table.h"
#include "session/probe.h"
#include "session/session.h"

namespace cli {

namespace {

std::string Names(const std::vector<Family>& families) {
    std::string names;
    for (const Family family : families) names += (names.empty() ? "" : ", ") + session::FamilyName(family);
    return names;
}

}  // namespace

int Connect(const std::string& portOption, const std::vector<Family>& chosen, Connection& connection,
            std::string& error) {
    std::string port = portOption;
    if (port.empty()) {
        const PortChoice choice = RefreshPorts();
        if (!choice.CanConnect()) {
            error = "no serial port found: plug the cable in, or name the port with --port";
            return kExitNoController;
        }
        port = choice.ports[static_cast<size_t>(choice.selected)].port;
    }
    const std::vector<Family> order = session::ProbeOrder(chosen);
    session::ProbeOptions options;
    options.readingPauses = false;
    options.stopWhenPortFails = true;
    const session::ProbeResult result = session::Connect(SerialPort::Instance(), port, order, options);
    if (result.family != Family::None) {
        connection.family = result.family;
        connection.port = port;
        return kExitSuccess;
    }
    if (!result.portOpened) {
        error = "cannot open port " + port +
                ": check its name (vantrel-cli ports lists them) and that no other program holds it";
        return kExitNoController;
    }
    if (result.lost) {
        error = "lost the controller on " + port + " while reading: check the cable";
        return kExitNoController;
    }
    if (!result.failure.empty()) {
        error = "no controller identified on " + port + " (tried " + Names(order) + "): " + result.failure +
                ": check the cable and the controller's power, and try again";
        return kExitNoController;
    }
    error = "no controller answered on " + port + " (tried " + Names(order) +
            "): check the cable, the controller's power and --family";
    return kExitNoController;
}

ConnectedSession::~ConnectedSession() {
    session::EndConnection();
}

}  // namespace cli
