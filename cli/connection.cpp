#include "cli/connection.h"

#include <algorithm>
#include <array>

#include "app/app_state.h"
#include "app/family_drivers.h"
#include "cli/cli_app.h"
#include "core/log.h"
#include "core/param_registry.h"
#include "core/text.h"
#include "serial/port_list.h"
#include "serial/serial_port.h"

namespace cli {

namespace {

using datafiles::Family;

constexpr std::array<Family, 3> kProbeOrder = {Family::FJ, Family::EV48400C, Family::Tercel};

app::Family DriverFamily(Family family) {
    switch (family) {
        case Family::FJ:
            return app::Family::Fj;
        case Family::EV48400C:
            return app::Family::Ev48400c;
        case Family::Tercel:
            return app::Family::Tercel;
        case Family::None:
            break;
    }
    return app::Family::None;
}

std::string Names(const std::vector<Family>& families) {
    std::string names;
    for (const Family family : families) names += (names.empty() ? "" : ", ") + datafiles::FamilyName(family);
    return names;
}

}  // namespace

std::optional<Family> FamilyFromName(const std::string& name) {
    for (const Family family : kProbeOrder)
        if (text::EqualsNoCase(name, datafiles::FamilyName(family))) return family;
    return std::nullopt;
}

std::vector<Family> ProbeOrder(const std::vector<Family>& chosen) {
    std::vector<Family> order;
    for (const Family family : kProbeOrder)
        if (chosen.empty() || std::find(chosen.begin(), chosen.end(), family) != chosen.end())
            order.push_back(family);
    return order;
}

int Connect(const std::string& portOption, const std::vector<Family>& chosen, Session& session,
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
    SerialPort& serial = SerialPort::Instance();
    app::AppState& state = app::App();
    const std::vector<Family> order = ProbeOrder(chosen);
    bool opened = false;
    for (const Family family : order) {
        const auto driver = app::FamilyDriversInstance().Make(DriverFamily(family));
        if (!driver) continue;
        const std::string name = driver->GetName();
        // A port that does not open at one baud rate does not open at the next either.
        if (!serial.Open(port, driver->GetBaudRate())) {
            SetStatus("Failed to connect to " + port);
            break;
        }
        opened = true;
        state.connected = true;
        state.ClearFamilyFlags();
        SetStatus("Probing Controller for " + name);
        if (driver->Identify()) {
            state.fjConnected = family == Family::FJ;
            state.ev48400cConnected = family == Family::EV48400C;
            state.tercelConnected = family == Family::Tercel;
            state.controllerName = name;
            // What was edited for another controller must never be written to this one.
            DirtyKeys().clear();
            SetStatus("Detected Controller: " + name);
            session.family = family;
            session.port = port;
            return kExitSuccess;
        }
        SetStatus("Controller not responding for " + name);
        serial.Close();
        state.connected = false;
    }
    if (!opened) {
        error = "cannot open port " + port +
                ": check its name (vantrel-cli ports lists them) and that no other program holds it";
        return kExitNoController;
    }
    SetStatus("Failed to Identify controller");
    error = "no controller answered on " + port + " (tried " + Names(order) +
            "): check the cable, the controller's power and --family";
    return kExitNoController;
}

void Disconnect() {
    SerialPort::Instance().Close();
    app::AppState& state = app::App();
    state.connected = false;
    state.ClearFamilyFlags();
    state.controllerName.clear();
}

}  // namespace cli
