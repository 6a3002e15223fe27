#include "tests/app/win32/gui_harness.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/app_ids.h"
#include "app/app_state.h"
#include "app/cards/comm_port_select_card.h"
#include "app/main_window.h"
#include "core/log.h"
#include "core/text.h"
#include "session/session.h"

namespace testsupport {

GuiHarness::GuiHarness() {
    app::App() = app::AppState{};
    session::Current() = session::Session{};
    logdetail::Reset();
    logdetail::SetDirectoryOverride(folder_.Path());
    SetStatus(L"");
}

GuiHarness::~GuiHarness() {
    Finish();
    // What the window left in the queue (its quit message among it) must not reach the next test.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    logdetail::SetDirectoryOverride({});
    logdetail::Reset();
    app::App() = app::AppState{};
    session::Current() = session::Session{};
}

void GuiHarness::WriteSettingsFile(const std::string& text) {
    WriteFileBytes(folder_ / "Vantrel-Settings.ini", text);
}

void GuiHarness::Start() {
    application_ = std::make_unique<app::Application>(GetModuleHandleW(nullptr), folder_.Path());
    application_->Start();
    ASSERT_TRUE(application_->CreateMainWindow(SW_SHOWNORMAL));
    Pump();
}

bool GuiHarness::StartAndConnect(const std::string& settings, const std::string& port) {
    WriteSettingsFile(settings);
    Start();
    Click(app::kIdAgree);
    if (!port.empty()) {
        HWND list = Control(app::kIdPortList);
        const std::wstring suffix = L"(" + text::Utf8ToWide(port) + L")";
        const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
        int found = -1;
        for (int i = 0; i < count && found < 0; ++i) {
            wchar_t item[256] = {};
            SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
            if (std::wstring(item).ends_with(suffix)) found = i;
        }
        if (found < 0) return false;
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(found), 0);
    }
    Click(app::kIdConnect);
    return true;
}

void GuiHarness::Finish() {
    if (!application_) return;
    application_->Shutdown();
    application_.reset();
}

void GuiHarness::Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void GuiHarness::Click(int id) {
    HWND control = Control(id);
    ASSERT_NE(control, nullptr) << "no control " << id;
    SendMessageW(control, BM_CLICK, 0, 0);
    Pump();
}

void GuiHarness::ClickNavigation(const std::string& label) {
    for (const auto& entry : Dashboard().NavEntries()) {
        if (entry.label != label) continue;
        const LPARAM point =
            MAKELPARAM((entry.rect.left + entry.rect.right) / 2, (entry.rect.top + entry.rect.bottom) / 2);
        SendMessageW(Window(), WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageW(Window(), WM_LBUTTONUP, 0, point);
        Pump();
        return;
    }
    ADD_FAILURE() << "no navigation entry " << label;
}

HWND GuiHarness::Window() const {
    return application_ && application_->Window() ? application_->Window()->Handle() : nullptr;
}

bool GuiHarness::WindowIsOpen() const {
    return Window() != nullptr && IsWindow(Window());
}

app::Dashboard& GuiHarness::Dashboard() const {
    return *application_->GetDashboard();
}

std::vector<std::string> GuiHarness::NavLabels() const {
    std::vector<std::string> labels;
    for (const auto& entry : Dashboard().NavEntries()) labels.push_back(entry.label);
    return labels;
}

std::wstring GuiHarness::StatusText1() const {
    return Dashboard().StatusText1();
}

std::wstring GuiHarness::StatusText2() const {
    return Dashboard().StatusText2();
}

HWND GuiHarness::Control(int id) const {
    return Window() ? GetDlgItem(Window(), id) : nullptr;
}

std::wstring GuiHarness::ControlText(int id) const {
    return WindowText(Control(id));
}

bool GuiHarness::IsChecked(int id) const {
    return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::string GuiHarness::SettingsFileText() const {
    return ReadFileBytes(folder_ / "Vantrel-Settings.ini");
}

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::vector<std::vector<std::wstring>> ListViewRows(HWND listView) {
    std::vector<std::vector<std::wstring>> rows;
    HWND header = reinterpret_cast<HWND>(SendMessageW(listView, LVM_GETHEADER, 0, 0));
    const int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
    const int count = static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        std::vector<std::wstring> cells;
        for (int column = 0; column < columns; ++column) {
            wchar_t buffer[512] = {};
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = buffer;
            item.cchTextMax = 512;
            SendMessageW(listView, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                         reinterpret_cast<LPARAM>(&item));
            cells.emplace_back(buffer);
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

void DoubleClickListViewCell(HWND listView, int row, int column) {
    RECT cell{};
    cell.top = column;
    cell.left = LVIR_BOUNDS;
    SendMessageW(listView, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    const LPARAM point = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    // A list view may wait in a loop of its own for the button to come up (drag detection), so the
    // release is queued before each press.
    PostMessageW(listView, WM_LBUTTONUP, 0, point);
    SendMessageW(listView, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(listView, WM_LBUTTONUP, 0, point);
    SendMessageW(listView, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
}

std::wstring WindowText(HWND window) {
    if (!window) return {};
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window, text.data(), length + 1);
    text.resize(wcslen(text.c_str()));
    return text;
}

}  // namespace testsupport
