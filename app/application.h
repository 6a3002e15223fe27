// The program's start and end around the main window's message loop.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <memory>

#include "app/card_factory.h"
#include "app/dashboard.h"
#include "app/main_window.h"

namespace app {

class Application {
public:
    // directory: where the settings file lives (the executable's folder).
    Application(HINSTANCE instance, std::filesystem::path directory);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The log, the controls and GDI+, the serial port, the settings, the window class, the rich edit
    // library and the title.
    void Start();
    // The Dashboard and the main window on its agreement page, shown.
    bool CreateMainWindow(int showCommand);
    int RunMessageLoop();
    // GDI+ down, flags cleared, the port closed, the log appended when "Log" is on.
    void Shutdown();

    MainWindow* Window() { return window_.get(); }
    Dashboard* GetDashboard() { return dashboard_.get(); }

private:
    HINSTANCE instance_;
    std::filesystem::path directory_;
    ULONG_PTR gdiplusToken_ = 0;
    bool started_ = false;
    MainCardFactory factory_;
    std::unique_ptr<Dashboard> dashboard_;
    std::unique_ptr<MainWindow> window_;
};

}  // namespace app
