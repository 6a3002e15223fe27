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

bool GuiHarness::StartAndConnect(const std::string& settings, const std::string& port) {
    WriteFileBytes(folder_ / "Vantrel-Settings.ini", settings);
    application_ = std::make_unique<app::Application>(GetModuleHandleW(nullptr), folder_.Path());
    application_->Start();
    if (!application_->CreateMainWindow(SW_SHOWNORMAL)) return false;
    Pump();
    Click(app::kIdAgree);
    HWND list = Control(app::kIdPortList);
    const std::wstring suffix = L"(" + text::Utf8ToWide(port) + L")";
    for (int i = 0, n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)); i < n; ++i) {
        wchar_t item[256] = {};
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
        if (!std::wstring(item).ends_with(suffix)) continue;
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
        Click(app::kIdConnect);
        return true;
    }
    return false;
}

void GuiHarness::Finish() {
    if (application_) application_->Shutdown();
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
    ASSERT_NE(Control(id), nullptr) << "no control " << id;
    SendMessageW(Control(id), BM_CLICK, 0, 0);
    Pump();
}

// A left click in the middle of the entry.
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

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::vector<std::vector<std::wstring>> ListViewRows(HWND listView) {
    std::vector<std::vector<std::wstring>> rows;
    HWND header = reinterpret_cast<HWND>(SendMessageW(listView, LVM_GETHEADER, 0, 0));
    const int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
    for (int row = 0; row < static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0)); ++row) {
        auto& cells = rows.emplace_back();
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
    }
    return rows;
}

RECT CellRect(HWND listView, int row, int column) {
    RECT cell{LVIR_BOUNDS, column, 0, 0};
    SendMessageW(listView, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    return cell;
}

void DoubleClickListViewCell(HWND listView, int row, int column) {
    const RECT cell = CellRect(listView, row, column);
    const LPARAM point = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    // A list view may wait in a loop of its own for the button to come up (drag detection), so the
    // release is queued before each press.
    PostMessageW(listView, WM_LBUTTONUP, 0, point);
    SendMessageW(listView, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(listView, WM_LBUTTONUP, 0, point);
    SendMessageW(listView, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace testsupport
