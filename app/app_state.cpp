#include "app/app_state.h"

#include "core/log.h"
#include "session/session.h"

namespace app {

AppState& App() {
    static AppState state;
    return state;
}

std::wstring MakeWindowTitle(const std::wstring& productName, const std::wstring& productVersion) {
    return productName + L"  :  " + productVersion;
}

void EndSession() {
    session::EndConnection();
    if (session::Current().settings.log) FlushLog(kLogFileName);
}

}  // namespace app
