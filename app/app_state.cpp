#include "app/app_state.h"

#include "core/log.h"
#include "serial/serial_port.h"

namespace app {

void AppState::ClearFamilyFlags() {
    fjConnected = false;
    ev48400cConnected = false;
    tercelConnected = false;
    if (clearFamilyExtras) clearFamilyExtras();
}

AppState& App() {
    static AppState state;
    return state;
}

void ReloadSettings() {
    ReadSettingsFile(App().settingsPath, App().settings);
}

std::wstring MakeWindowTitle(const std::wstring& productName, const std::wstring& productVersion) {
    return productName + L"  :  " + productVersion;
}

void EndSession() {
    AppState& state = App();
    state.connected = false;
    state.ClearFamilyFlags();
    SerialPort::Instance().Close();
    if (state.settings.log) FlushLog(kLogFileName);
}

}  // namespace app
