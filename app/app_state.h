// What the window knows beyond any one page, on the UI thread only: its title. The connection and
// the settings are the session's (session/session.h).
#pragma once

#include <string>

namespace app {

struct AppState {
    std::wstring windowTitle;
};

AppState& App();

// "Vantrel  :  0.1.0"; either part may be empty when the version resource is missing.
std::wstring MakeWindowTitle(const std::wstring& productName, const std::wstring& productVersion);

// The end of a run: the connection ended, the serial port closed, and the log appended only when the
// "Log" setting asks for it.
void EndSession();

}  // namespace app
