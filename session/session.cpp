#include "session/session.h"

#include "core/param_registry.h"
#include "serial/serial_port.h"
#include "session/family_table.h"
#include "session/read_values.h"

namespace session {

Session& Current() {
    static Session session;
    return session;
}

void ReloadSettings() {
    ReadSettingsFile(Current().settingsPath, Current().settings);
}

void ResetFamilies() {
    for (const FamilyOps* ops : Families()) ops->resetState();
    DirtyKeys().clear();
    LastRead().Clear();
}

void EndConnection(SerialPort& port) {
    port.Close();
    Session& session = Current();
    session.connected = false;
    session.family = Family::None;
    session.port.clear();
    session.controllerName.clear();
    ResetFamilies();
}

}  // namespace session
