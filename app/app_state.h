// What the program knows beyond any one page, on the UI thread only: the connection, the settings
// and the window title. Drivers keep nothing between operations; the connection page sets these.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "app/settings.h"

namespace app {

struct AppState {
    bool connected = false;
    bool fjConnected = false;
    bool ev48400cConnected = false;
    bool tercelConnected = false;
    uint32_t familyEventCode = 0;  // of the last successful connection
    std::string controllerName;
    Settings settings;
    std::filesystem::path settingsPath;
    std::wstring windowTitle;
    // What a family keeps beside its flag (the EV48-400-C model variant); set by the program.
    std::function<void()> clearFamilyExtras;

    void ClearFamilyFlags();
};

AppState& App();

// Re-reads the settings file into App().settings when it exists.
void ReloadSettings();

// "Vantrel  :  0.1.0"; either part may be empty when the version resource is missing.
std::wstring MakeWindowTitle(const std::wstring& productName, const std::wstring& productVersion);

// The end of a run: flags cleared, the serial port closed, and the log appended only when the
// "Log" setting asks for it.
void EndSession();

}  // namespace app
