// The main window, class DashboardWindowClass: a navigation column, the current page in the content
// area and a status bar, all painted here; everything else is forwarded to the Dashboard.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "app/dashboard.h"
#include "app/window_base.h"

namespace app {

inline constexpr const wchar_t* kMainWindowClass = L"DashboardWindowClass";

class MainWindow final : public WindowBase, public DashboardView {
public:
    static bool RegisterDashboardClass(HINSTANCE instance);

    explicit MainWindow(Dashboard& dashboard) : dashboard_(dashboard) {}
    ~MainWindow() override;

    // Fixed frame at (100, 100), 1200 x 800 outside; the agreement page is current once it returns.
    bool Create(HINSTANCE instance, const std::wstring& title);

    Dashboard& GetDashboard() { return dashboard_; }
    // The bold font of the tuning page's heading rows.
    HFONT BoldListFont() const { return boldListFont_; }

    void RepaintAll() override;
    void RepaintStatusBar() override;
    void PostEvent(uint32_t event, uintptr_t first, intptr_t second) override;
    void Close() override;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCreate();
    void OnDestroy();
    void OnPaint();
    void CreatePaintResources();
    void OnCommand(WPARAM wParam, LPARAM lParam);
    void OnNotify(LPARAM lParam);
    void ReleaseResources();

    Dashboard& dashboard_;
    HFONT boldListFont_ = nullptr;
    HBRUSH backgroundBrush_ = nullptr;  // the client area, status bar and content
    HBRUSH navigationBrush_ = nullptr;
    HBRUSH selectedBrush_ = nullptr;
    HFONT navigationFont_ = nullptr;
    HFONT statusFont_ = nullptr;
    HPEN linePen_ = nullptr;
    bool painting_ = false;
};

// The main window and its Dashboard, while the window exists (pages set status text 1 through it).
HWND MainWindowHandle();
Dashboard* MainDashboard();

// A control whose window carries a back-pointer to an object belongs to a family's own page; its
// commands go first to the handler of the connected family. True when the handler acted.
using FamilyControlHandler = std::function<bool(HWND control, int commandId, int notifyCode)>;
void SetFamilyControlHandler(uint32_t familyCode, FamilyControlHandler handler);

}  // namespace app
