#include "session/probe.h"

#include <algorithm>

#include "core/log.h"
#include "core/prompter.h"
#include "core/text.h"
#include "serial/serial_port.h"
#include "session/family_table.h"
#include "session/read_values.h"
#include "session/safety_backup.h"
#include "session/session.h"

namespace session {

namespace {

constexpr uint32_t kReadingPauseMs = 1000;
constexpr const char* kLostWhileReading = "Lost the controller while reading: check the cable";

void ReadingPause(const ProbeOptions& options) {
    if (options.readingPauses) Pause(kReadingPauseMs);
}

// The identified driver's family with the port still open, or None with the port closed.
ProbeResult ProbeFamilies(SerialPort& serial, const std::string& port, const std::vector<Family>& order,
                          const ProbeOptions& options) {
    Session& session = Current();
    ProbeResult result;
    for (const Family family : order) {
        const auto driver = options.makeDriver ? options.makeDriver(family) : Ops(family).makeDriver();
        if (!driver) continue;
        const std::string name = driver->GetName();
        if (!serial.Open(port, driver->GetBaudRate())) {
            session.connected = false;
            // The command line ends here with one line of its own saying what to check.
            if (options.stopWhenPortFails) {
                Log("Failed to connect to " + port);
                break;
            }
            SetStatus("Failed to connect to " + port);
            continue;
        }
        result.portOpened = true;
        session.connected = true;
        if (options.portOpened) options.portOpened();
        SetStatus(port);
        ReadingPause(options);
        SetStatus("Probing Controller for " + name);
        ReadingPause(options);
        ResetFamilies();
        if (driver->Identify()) {
            // The drivers reopen a port the line took away; one that stayed closed lost the answers.
            if (!serial.IsOpen()) {
                SetStatus(kLostWhileReading);
                ResetFamilies();
                session.connected = false;
                result.lost = true;
                return result;
            }
            result.family = family;
            result.controllerName = name;
            return result;
        }
        // A driver that got as far as reading says itself which read failed ("FJ: could not read ...").
        const std::string why = text::WideToUtf8(GetStatus());
        const bool saidWhy = why.starts_with(name + ":");
        if (saidWhy && result.failure.empty()) result.failure = why;
        ReadingPause(options);
        if (!saidWhy) SetStatus("Controller not responding for " + name);
        ReadingPause(options);
        SetStatus("Closing port " + port);
        serial.Close();
        session.connected = false;
        ReadingPause(options);
    }
    if (serial.IsOpen()) serial.Close();
    return result;
}

}  // namespace

std::vector<Family> ProbeOrder(const Settings& settings) {
    std::vector<Family> order;
    for (const FamilyOps* ops : Families())
        if (settings.*(ops->probeSetting)) order.push_back(ops->family);
    return order;
}

std::vector<Family> ProbeOrder(const std::vector<Family>& chosen) {
    std::vector<Family> order;
    for (const FamilyOps* ops : Families())
        if (chosen.empty() || std::find(chosen.begin(), chosen.end(), ops->family) != chosen.end())
            order.push_back(ops->family);
    return order;
}

ProbeResult Connect(SerialPort& serial, const std::string& port, const std::vector<Family>& order,
                    const ProbeOptions& options) {
    Session& session = Current();
    session.family = Family::None;
    session.controllerName.clear();
    ProbeResult result = ProbeFamilies(serial, port, order, options);
    if (result.lost) return result;
    if (result.family == Family::None) {
        ResetFamilies();
        session.connected = false;
        // The status is the page's fixed text; the log keeps which read a controller that answered
        // stopped at.
        if (!result.failure.empty()) Log("Identify stopped at: " + result.failure);
        SetStatus("Failed to Identify controller");
        return result;
    }
    session.connected = true;
    session.family = result.family;
    session.port = port;
    session.controllerName = result.controllerName;
    LastRead().Take(result.family);
    KeepControllerValues(result.family);
    SetStatus("Detected Controller: " + result.controllerName);
    return result;
}

}  // namespace session
