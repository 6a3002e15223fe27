// The real main window in the test's own process, driven the way a user's clicks would drive it.
// Message boxes and pauses are answered at once by a FakePrompter; files go to a fresh folder.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/temp_dir.h"

namespace testsupport {

class GuiHarness {
public:
    GuiHarness();
    ~GuiHarness();
    GuiHarness(const GuiHarness&) = delete;
    GuiHarness& operator=(const GuiHarness&) = delete;

    // Started with these settings, agreed, the port picked in the list and Connect clicked. False when
    // the port is not listed.
    bool StartAndConnect(const std::string& settings, const std::string& port);
    // The program's exit step, after closing the window if it is still open.
    void Finish();

    // Dispatches everything waiting, paints included.
    void Pump();
    // BM_CLICK on the control with this id, as the mouse would, then Pump.
    void Click(int id);
    void ClickNavigation(const std::string& label);

    HWND Window() const;
    app::Dashboard& Dashboard() const { return *application_->GetDashboard(); }
    HWND Control(int id) const { return Window() ? GetDlgItem(Window(), id) : nullptr; }
    FakePrompter& Prompter() { return prompter_; }
    const TempDir& Folder() const { return folder_; }

private:
    TempDir folder_;
    FakePrompter prompter_;
    std::unique_ptr<app::Application> application_;
};

// An environment variable the test script sets; empty when unset.
std::string Variable(const char* name);
// Every row of a report-style list view, one text per column.
std::vector<std::vector<std::wstring>> ListViewRows(HWND listView);
// The rectangle of a list view's cell.
RECT CellRect(HWND listView, int row, int column);
void DoubleClickListViewCell(HWND listView, int row, int column);
std::wstring WindowText(HWND window);

}  // namespace testsupport
