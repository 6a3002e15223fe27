#include "app/main_window.h"

#include <richedit.h>
#include <shellapi.h>
#include <windowsx.h>

#include <map>
#include <string>

#include "app/app_ids.h"
#include "app/app_state.h"
#include "app/cards/rich_texts.h"
#include "app/win32_ui.h"
#include "core/log.h"
#include "core/text.h"
#include "session/family_table.h"
#include "session/session.h"

namespace app {

namespace {

constexpr int kLeft = 100;
constexpr int kTop = 100;
constexpr int kOuterWidth = 1200;
constexpr int kOuterHeight = 800;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

constexpr COLORREF kSelectedColour = 0xDCDCDC;
constexpr COLORREF kLineColour = 0x323232;
constexpr int kNavigationLabelInset = 14;
constexpr int kStatusText1Left = 25;
constexpr int kStatusText2Left = 250;
constexpr int kNavigationFontHeight = 18;
constexpr int kNavigationFontWeight = 500;
constexpr int kStatusFontHeight = 24;
constexpr int kStatusFontWeight = 600;

// Device arrival and removal-complete notifications.
constexpr WPARAM kDeviceArrival = 0x8000;
constexpr WPARAM kDeviceRemoveComplete = 0x8004;

HWND g_mainWindow = nullptr;
Dashboard* g_mainDashboard = nullptr;

std::map<uint32_t, FamilyControlHandler>& FamilyHandlers() {
    static std::map<uint32_t, FamilyControlHandler> handlers;
    return handlers;
}

uint32_t ConnectedFamilyCode() {
    return session::Ops(session::ConnectedFamily()).eventCode;
}

template <typename T>
void DeleteGdi(T& object) {
    if (object) DeleteObject(object);
    object = nullptr;
}

}  // namespace

HWND MainWindowHandle() {
    return g_mainWindow;
}

Dashboard* MainDashboard() {
    return g_mainDashboard;
}

void SetFamilyControlHandler(uint32_t familyCode, FamilyControlHandler handler) {
    if (handler) {
        FamilyHandlers()[familyCode] = std::move(handler);
    } else {
        FamilyHandlers().erase(familyCode);
    }
}

bool MainWindow::RegisterDashboardClass(HINSTANCE instance) {
    // Painted entirely in WM_PAINT, so no class brush; no class menu either.
    return RegisterWindowClass(instance, kMainWindowClass, nullptr);
}

MainWindow::~MainWindow() {
    // Destroyed here, while the messages it sends still reach this object.
    if (Handle()) DestroyWindow(Handle());
    ReleaseResources();
}

bool MainWindow::Create(HINSTANCE instance, const std::wstring& title) {
    return CreateFor(instance, kMainWindowClass, title.c_str(), kStyle, kLeft, kTop, kOuterWidth,
                     kOuterHeight) != nullptr;
}

void MainWindow::RepaintAll() {
    if (!Handle()) return;
    if (painting_) {
        InvalidateRect(Handle(), nullptr, FALSE);
        return;
    }
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void MainWindow::RepaintStatusBar() {
    if (!Handle()) return;
    // Before the first paint the whole window is due anyway.
    if (!dashboard_.LayoutDone()) return;
    const RECT bar = ToRECT(dashboard_.StatusBarRect());
    // A text set while painting (a page's first Show) is drawn by the paint that follows this one.
    RedrawWindow(Handle(), &bar, nullptr, painting_ ? RDW_INVALIDATE : (RDW_INVALIDATE | RDW_UPDATENOW));
}

void MainWindow::PostEvent(uint32_t event, uintptr_t first, intptr_t second) {
    if (Handle()) PostMessageW(Handle(), event, first, second);
}

void MainWindow::Close() {
    // Not DestroyWindow: the button whose click brought us here is still inside its own handler.
    if (Handle()) PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            OnCreate();
            return 0;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_SIZE:
            return 0;  // the window's size never changes
        case WM_LBUTTONDOWN:
            dashboard_.OnNavigationClick(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_COMMAND:
            OnCommand(wParam, lParam);
            return 0;
        case WM_NOTIFY:
            OnNotify(lParam);
            break;
        case WM_DEVICECHANGE:
            if (wParam == kDeviceArrival || wParam == kDeviceRemoveComplete) dashboard_.OnDevicesChanged();
            return TRUE;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            // The page background is one flat colour, so its brush stands in for a hollow one and a
            // changed text never shows the old one through.
            auto dc = reinterpret_cast<HDC>(wParam);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkColor(dc, kBackgroundColour);
            if (!backgroundBrush_) backgroundBrush_ = CreateSolidBrush(kBackgroundColour);
            return reinterpret_cast<LRESULT>(backgroundBrush_);
        }
        default:
            break;
    }
    if (message == kEventBuildMainCards) {
        dashboard_.BuildMainCards();
        return 0;
    }
    if (message == kEventConnection) {
        dashboard_.OnConnectionEvent(static_cast<uint32_t>(wParam), lParam != 0);
        return 0;
    }
    if (message == kEventRebuildTuningLists || message == kEventRefreshTuningValues) {
        dashboard_.OnAppEvent(message);
        return 0;
    }
    return WindowBase::HandleMessage(message, wParam, lParam);
}

void MainWindow::OnCreate() {
    g_mainWindow = Handle();
    g_mainDashboard = &dashboard_;
    dashboard_.AttachView(this);
    SetStatusListener([this](const std::wstring& text) { dashboard_.OnStatus(text); });
    // The window's own font, else the icon-title font, in bold.
    LOGFONTW font{};
    auto windowFont = reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
    if (!windowFont || GetObjectW(windowFont, sizeof(font), &font) == 0) {
        SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0);
    }
    font.lfWeight = FW_BOLD;
    boldListFont_ = CreateFontIndirectW(&font);
    dashboard_.Start();
}

void MainWindow::OnDestroy() {
    // Pages let go of their controls and pictures while the window is still whole.
    if (CardBase* card = dashboard_.CurrentCard()) card->Hide();
    SetStatusListener(nullptr);
    dashboard_.AttachView(nullptr);
    if (g_mainWindow == Handle()) {
        g_mainWindow = nullptr;
        g_mainDashboard = nullptr;
    }
    PostQuitMessage(0);
}

void MainWindow::CreatePaintResources() {
    if (!backgroundBrush_) backgroundBrush_ = CreateSolidBrush(kBackgroundColour);
    navigationBrush_ = CreateSolidBrush(kBackgroundColour);
    selectedBrush_ = CreateSolidBrush(kSelectedColour);
    navigationFont_ = CreateUiFont(kNavigationFontHeight, kNavigationFontWeight);
    statusFont_ = CreateUiFont(kStatusFontHeight, kStatusFontWeight);
    linePen_ = CreatePen(PS_SOLID, 1, kLineColour);
}

void MainWindow::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(Handle(), &paint);
    painting_ = true;
    if (!dashboard_.LayoutDone()) {
        RECT client;
        GetClientRect(Handle(), &client);
        dashboard_.SetClientSize(client.right, client.bottom);
        dashboard_.LayOut();
        CreatePaintResources();
    }
    RECT client;
    GetClientRect(Handle(), &client);
    FillRect(dc, &client, backgroundBrush_);
    const RECT navigation = ToRECT(dashboard_.NavigationRect());
    FillRect(dc, &navigation, navigationBrush_);

    dashboard_.PlaceNavEntries();
    for (const auto& entry : dashboard_.NavEntries()) {
        RECT where = ToRECT(entry.rect);
        FillRect(dc, &where, entry.key == dashboard_.CurrentKey() ? selectedBrush_ : navigationBrush_);
        where.left += kNavigationLabelInset;
        DrawLine(dc, text::Utf8ToWide(entry.label), navigationFont_, where);
    }

    const Rect& bar = dashboard_.StatusBarRect();
    RECT statusBar = ToRECT(bar);
    FillRect(dc, &statusBar, backgroundBrush_);
    DrawLine(dc, dashboard_.StatusText1(), statusFont_,
             RECT{bar.left + kStatusText1Left, bar.top, bar.left + kStatusText2Left, bar.bottom});
    DrawLine(dc, dashboard_.StatusText2(), statusFont_,
             RECT{bar.left + kStatusText2Left, bar.top, bar.right, bar.bottom});

    if (CardBase* card = dashboard_.CurrentCard()) {
        const RECT content = ToRECT(dashboard_.ContentRect());
        FillRect(dc, &content, backgroundBrush_);
        PaintSurface surface{dc};
        card->Show(surface, dashboard_.ContentRect());
    }

    const HGDIOBJ previousPen = SelectObject(dc, linePen_);
    MoveToEx(dc, navigation.right, 0, nullptr);
    LineTo(dc, navigation.right, bar.top);
    MoveToEx(dc, 0, bar.top, nullptr);
    LineTo(dc, bar.right, bar.top);
    SelectObject(dc, previousPen);

    painting_ = false;
    EndPaint(Handle(), &paint);
}

void MainWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    auto control = reinterpret_cast<HWND>(lParam);
    if (control && GetWindowLongPtrW(control, GWLP_USERDATA) != 0) {
        const auto it = FamilyHandlers().find(ConnectedFamilyCode());
        if (it != FamilyHandlers().end() && it->second(control, id, code)) return;
    }
    dashboard_.OnCommand(id, code);
}

void MainWindow::OnNotify(LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->code != EN_LINK) return;
    const auto* link = reinterpret_cast<const ENLINK*>(lParam);
    if (link->msg != WM_LBUTTONUP) return;
    std::wstring target(static_cast<size_t>(link->chrg.cpMax - link->chrg.cpMin) + 1, L'\0');
    TEXTRANGEW range{link->chrg, target.data()};
    SendMessageW(header->hwndFrom, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    target.resize(wcslen(target.c_str()));
    const std::wstring address = LinkTarget(target);
    Log(L"Opening link " + address);
    ShellExecuteW(Handle(), L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void MainWindow::ReleaseResources() {
    DeleteGdi(boldListFont_);
    DeleteGdi(backgroundBrush_);
    DeleteGdi(navigationBrush_);
    DeleteGdi(selectedBrush_);
    DeleteGdi(navigationFont_);
    DeleteGdi(statusFont_);
    DeleteGdi(linePen_);
}

}  // namespace app
