#include "app/application.h"

#include <objidl.h>

#include <commctrl.h>
#include <gdiplus.h>

#include "app/app_state.h"
#include "app/version_info.h"
#include "core/log.h"
#include "serial/serial_port.h"
#include "session/session.h"

namespace app {

Application::Application(HINSTANCE instance, std::filesystem::path directory)
    : instance_(instance), directory_(std::move(directory)) {}

Application::~Application() {
    if (started_) Shutdown();
}

void Application::Start() {
    StartLog(kLogFileName);

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    Gdiplus::GdiplusStartupInput gdiplus;
    Gdiplus::GdiplusStartup(&gdiplusToken_, &gdiplus, nullptr);
    started_ = true;

    // The port's lock comes with the process-wide port.
    SerialPort::Instance();

    session::Session& current = session::Current();
    current.settingsPath = directory_ / session::kSettingsFileName;
    session::ReadSettingsFile(current.settingsPath, current.settings);

    MainWindow::RegisterDashboardClass(instance_);
    LoadLibraryW(L"Msftedit.dll");

    const VersionInfo version = ReadVersionInfo();
    App().windowTitle = MakeWindowTitle(version.productName, version.productVersion);
}

bool Application::CreateMainWindow(int showCommand) {
    dashboard_ = std::make_unique<Dashboard>(factory_);
    window_ = std::make_unique<MainWindow>(*dashboard_);
    if (!window_->Create(instance_, App().windowTitle)) return false;
    ShowWindow(window_->Handle(), showCommand);
    UpdateWindow(window_->Handle());
    return true;
}

int Application::RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

void Application::Shutdown() {
    if (!started_) return;
    started_ = false;
    // The pages hold GDI+ pictures, which must go before GDI+ does.
    window_.reset();
    dashboard_.reset();
    Gdiplus::GdiplusShutdown(gdiplusToken_);
    EndSession();
}

}  // namespace app
