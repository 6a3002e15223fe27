// One connection at a time: what the program knows of the controller it talks to, and the settings
// that decide how it looks for one. On the UI thread only; the connection page and the command line
// set it through the probe.
#pragma once

#include <filesystem>
#include <string>

#include "core/family.h"
#include "serial/serial_port.h"
#include "session/settings.h"

namespace session {

struct Session {
    bool connected = false;        // the port is held, by a probe or a connection
    Family family = Family::None;  // the identified controller's; None while nothing is connected
    std::string port;
    std::string controllerName;
    Settings settings;
    std::filesystem::path settingsPath;
};

Session& Current();

// The family of the connected controller; None while nothing is connected.
inline Family ConnectedFamily() {
    return Current().family;
}

// Re-reads the settings file into Current().settings when it exists.
void ReloadSettings();

// Every family's process-wide values back to "nothing read" and the changed keys forgotten: what one
// controller reported or was given must never be shown, saved or written as another's.
void ResetFamilies();

// The connection's port closed and the connection forgotten, with every family reset.
void EndConnection(SerialPort& port = SerialPort::Instance());

}  // namespace session
