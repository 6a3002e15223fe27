// Opens the real main window in the test's own process and drives it the way a user's clicks would:
// button clicks, navigation clicks, double clicks on list views. Message boxes and pauses are answered
// at once by a FakePrompter; files go to a fresh folder.
//
//   GuiHarness gui;
//   gui.WriteSettingsFile("[Probe]\nRXTX=true\n");
//   gui.Start();
//   gui.Click(app::kIdAgree);
//   EXPECT_EQ(gui.NavLabels(), ...);
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

    // Before Start: the settings file the program finds beside itself.
    void WriteSettingsFile(const std::string& text);
    // The program's start-up and its main window on the agreement page, shown and painted.
    void Start();
    // Started with these settings, agreed, the port picked in the list (unless empty: the page's own
    // choice) and Connect clicked. False when the port is not listed.
    bool StartAndConnect(const std::string& settings, const std::string& port);
    // The program's exit step, after closing the window if it is still open.
    void Finish();

    // Dispatches everything waiting, paints included.
    void Pump();
    // A click on the control with this id (BM_CLICK, as the mouse would), then Pump.
    void Click(int id);
    // A left click in the middle of the navigation entry with this label, then Pump.
    void ClickNavigation(const std::string& label);

    HWND Window() const;
    bool WindowIsOpen() const;
    app::Dashboard& Dashboard() const;
    std::vector<std::string> NavLabels() const;
    std::wstring StatusText1() const;
    std::wstring StatusText2() const;

    // Child controls of the main window by id; null when there is none.
    HWND Control(int id) const;
    std::wstring ControlText(int id) const;
    bool IsChecked(int id) const;

    std::string SettingsFileText() const;
    FakePrompter& Prompter() { return prompter_; }
    const TempDir& Folder() const { return folder_; }

private:
    TempDir folder_;
    FakePrompter prompter_;
    std::unique_ptr<app::Application> application_;
};

// The value of an environment variable the test script sets; empty when unset.
std::string Variable(const char* name);
// Every row of a report-style list view, one text per column.
std::vector<std::vector<std::wstring>> ListViewRows(HWND listView);
// A double click on a cell of a report-style list view, as the mouse would send it.
void DoubleClickListViewCell(HWND listView, int row, int column);
// The window's text.
std::wstring WindowText(HWND window);

}  // namespace testsupport
