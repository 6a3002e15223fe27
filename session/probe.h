// Looking for a controller: each enabled family in table order opens the port at its baud rate and
// tries its own Identify, with a status text for every step. The connection page and the command line
// both connect through here; every status text of a probe is written in probe.cpp.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/controller_interface.h"
#include "core/family.h"
#include "serial/serial_port.h"
#include "session/settings.h"

namespace session {

struct ProbeOptions {
    // The pauses that give a person time to read each status; the command line leaves them out (the
    // drivers' own protocol pauses stay).
    bool readingPauses = true;
    // A port that does not open at one baud rate does not open at the next either.
    bool stopWhenPortFails = false;
    // Called each time the port opened for a family: the page locks its port list.
    std::function<void()> portOpened;
    // The family's driver; the table's own when empty (tests put fakes here).
    std::function<std::shared_ptr<ControllerInterface>(Family)> makeDriver;
};

// The families a probe tries, in table order: those the settings enable.
std::vector<Family> ProbeOrder(const Settings& settings);
// Those chosen, or all of them when none was chosen.
std::vector<Family> ProbeOrder(const std::vector<Family>& chosen);

struct ProbeResult {
    Family family = Family::None;  // None when no family identified
    std::string controllerName;
    bool portOpened = false;  // the port opened for at least one family
    bool lost = false;        // a family identified, but the line took the port away while reading
    // When no family identified: why the first family that answered its contact request still failed,
    // as its driver said it ("FJ: could not read firmware date (01:00)"); empty when none answered.
    std::string failure;
};

// Tries each family in order. Before each Identify every family is put back to "nothing read". On
// success the port stays open, the session holds the connection and the values read
// ("Detected Controller: <name>"). A controller that identified but whose port the line took away
// during the read is no connection ("Lost the controller while reading: check the cable"). Otherwise
// the port is closed, the session holds none and the status is "Failed to Identify controller"
// (logged after the failure of a family that answered).
ProbeResult Connect(SerialPort& serial, const std::string& port, const std::vector<Family>& order,
                    const ProbeOptions& options);

}  // namespace session
