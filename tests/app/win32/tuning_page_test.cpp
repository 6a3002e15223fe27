// The tuning page end to end under Wine: the real window and drivers, in this process and driven the way
// a user's clicks would drive it, against a simulated controller of each family, whose state file shows
// what the controller stores. Message boxes and pauses are answered at once by a FakePrompter; files go
// to a fresh folder.
#include <windows.h>

#include <commctrl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "app/app_ids.h"
#include "app/app_state.h"
#include "app/application.h"
#include "app/cards/comm_port_select_card.h"
#include "app/cards/tuning_card.h"
#include "app/cards/tuning_model.h"
#include "app/main_window.h"
#include "core/log.h"
#include "core/param_registry.h"
#include "core/text.h"
#include "session/session.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/temp_dir.h"

namespace {

using testing::Contains;
using testing::ElementsAre;
using testing::HasSubstr;
using testsupport::ReadFileBytes;

std::string Variable(const std::string& name) {
    const char* value = std::getenv(("VANTREL_TEST_" + name).c_str());
    return value ? value : "";
}

class GuiHarness {
public:
    GuiHarness() {
        app::App() = app::AppState{};
        session::Current() = session::Session{};
        logdetail::Reset();
        logdetail::SetDirectoryOverride(folder_.Path());
        SetStatus(L"");
    }
    ~GuiHarness() {
        if (application_) application_->Shutdown();
        application_.reset();
        // What the window left in the queue (its quit message among it) must not reach the next test.
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        logdetail::SetDirectoryOverride({});
        logdetail::Reset();
        app::App() = app::AppState{};
        session::Current() = session::Session{};
    }

    // Started with these settings, agreed, the port picked in the list and Connect clicked.
    bool StartAndConnect(const std::string& settings, const std::string& port) {
        testsupport::WriteFileBytes(folder_ / "Vantrel-Settings.ini", settings);
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

    // Dispatches everything waiting, paints included.
    void Pump() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    void Click(int id) {
        ASSERT_NE(Control(id), nullptr) << "no control " << id;
        SendMessageW(Control(id), BM_CLICK, 0, 0);
        Pump();
    }
    HWND Window() const { return application_->Window() ? application_->Window()->Handle() : nullptr; }
    app::Dashboard& Dashboard() const { return *application_->GetDashboard(); }
    HWND Control(int id) const { return Window() ? GetDlgItem(Window(), id) : nullptr; }
    testsupport::FakePrompter& Prompter() { return prompter_; }
    const testsupport::TempDir& Folder() const { return folder_; }

private:
    testsupport::TempDir folder_;
    testsupport::FakePrompter prompter_;
    std::unique_ptr<app::Application> application_;
};

// Every row of the tuning list, one text per column.
std::vector<std::vector<std::wstring>> ListViewRows(HWND listView) {
    std::vector<std::vector<std::wstring>> rows;
    for (int row = 0; row < static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0)); ++row) {
        auto& cells = rows.emplace_back();
        for (size_t column = 0; column < app::kTuningColumns.size(); ++column) {
            wchar_t buffer[512] = {};
            LVITEMW item{};
            item.iSubItem = static_cast<int>(column);
            item.pszText = buffer;
            item.cchTextMax = 512;
            SendMessageW(listView, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                         reinterpret_cast<LPARAM>(&item));
            cells.emplace_back(buffer);
        }
    }
    return rows;
}

RECT ChangeToRect(HWND listView, int row) {
    RECT cell{LVIR_BOUNDS, app::kChangeToColumn, 0, 0};
    SendMessageW(listView, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    return cell;
}

struct FamilyCase {
    const char* name;
    const char* settings;     // Tercel's line is probed by the other two families first
    const char* variable;     // VANTREL_TEST_<variable>_PORT and _STATE
    const wchar_t* rowLabel;  // a "Tuning" entry stored as the number typed; nullptr: the first row
    const wchar_t* typed;
    const wchar_t* other;   // typed and not written, to be replaced by loading the backup
    const char* stateLine;  // the simulator's stored block once the value is written
};

constexpr FamilyCase kFamilies[] = {
    {"FJ", "[Probe]\nEV48-400-C=false\nTercel=false\n", "FJ", nullptr, L"3456", L"2345", "0D:1F=0D80"},
    {"EV48-400-C", "[Probe]\nFJ=false\nTercel=false\n", "EV48400C", L"Forward High Gear Max Speed", L"3000",
     L"2800", "57=B80B"},
    {"Tercel", "[Probe]\n", "TERCEL", L"2.01.09 : Motor Maximum RPM", L"4321", L"4000", "2878=10E1"},
};

// A double click on the row's "Change To" cell, the text typed over the selection, and Enter.
void EditCell(GuiHarness& gui, HWND list, int row, const std::wstring& typed) {
    const RECT cell = ChangeToRect(list, row);
    const LPARAM point = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    // A list view may wait in a loop of its own for the button to come up (drag detection), so the
    // release is queued before each press.
    PostMessageW(list, WM_LBUTTONUP, 0, point);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(list, WM_LBUTTONUP, 0, point);
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
    gui.Pump();
    auto* card = dynamic_cast<app::TuningCard*>(gui.Dashboard().FindCard(app::kKeyTuning));
    HWND editor = card->Editor();
    ASSERT_NE(editor, nullptr);
    SetWindowTextW(editor, typed.c_str());
    SendMessageW(editor, WM_KEYDOWN, VK_RETURN, 0);
    gui.Pump();
    EXPECT_EQ(card->Editor(), nullptr);
}

// The colour a "Change To" cell is painted on, a little in from its left edge where no text reaches.
COLORREF ChangeToColour(HWND list, int row) {
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const RECT cell = ChangeToRect(list, row);
    HDC dc = GetDC(list);
    const COLORREF colour = GetPixel(dc, cell.left + 4, (cell.top + cell.bottom) / 2);
    ReleaseDC(list, dc);
    return colour;
}

// A backup's records, without its name and date.
std::string Records(const std::filesystem::path& file) {
    std::string kept;
    std::istringstream lines(ReadFileBytes(file));
    for (std::string line; std::getline(lines, line);)
        if (!line.starts_with("Name=") && !line.starts_with("Date=")) kept += line + '\n';
    return kept;
}

TEST(TuningPage, EditWriteResetSaveLoadAndDisconnectOnEachFamily) {
    for (const auto& family : kFamilies) {
        SCOPED_TRACE(family.name);
        GuiHarness gui;
        ASSERT_TRUE(gui.StartAndConnect(family.settings, Variable(family.variable + std::string("_PORT"))));
        ASSERT_EQ(gui.Dashboard().CurrentKey(), app::kKeyTuning);

        HWND list = gui.Control(app::kIdTuningListFirst);
        const auto rows = ListViewRows(list);
        int row = -1;
        for (size_t i = 1; i < rows.size() && row < 0; ++i)
            if (!family.rowLabel || rows[i][0] == family.rowLabel) row = static_cast<int>(i);
        ASSERT_GT(row, 0);
        const auto cell = [&](int column) {
            return ListViewRows(list).at(static_cast<size_t>(row)).at(column);
        };

        // A backup of the values as read.
        const std::wstring read = cell(1);
        const auto backup = gui.Folder() / "backup.vtdata";
        gui.Prompter().saveFile = backup;
        gui.Click(app::kIdSave);
        EXPECT_THAT(ReadFileBytes(backup), HasSubstr(std::string("ControllerType=") + family.name));

        EditCell(gui, list, row, family.typed);
        EXPECT_EQ(cell(2), family.typed);
        EXPECT_EQ(ChangeToColour(list, row), app::kChangedBackground);

        // The Write saves the controller's values first, the same as the backup saved before the edit.
        const auto safetyFolder = gui.Folder() / family.name / "backups";
        gui.Prompter().messages.clear();
        gui.Click(app::kIdWrite);
        EXPECT_THAT(gui.Prompter().messages, ElementsAre(L"Warning? " + std::wstring(app::kWriteWarning)));
        const std::filesystem::path safety = std::filesystem::directory_iterator(safetyFolder)->path();
        EXPECT_THAT(safety.filename().string(),
                    testing::StartsWith("Vantrel-" + std::string(family.name) + "-AutoBackup-"));
        EXPECT_EQ(Records(safety), Records(backup));
        EXPECT_THAT(ReadFileBytes(Variable(family.variable + std::string("_STATE"))),
                    HasSubstr(family.stateLine));
        EXPECT_EQ(cell(1), family.typed);

        // Read back from the controller: what it holds is what was typed, and nothing is pending.
        gui.Click(app::kIdReset);
        EXPECT_EQ(cell(1), family.typed);
        EXPECT_EQ(ChangeToColour(list, row), GetSysColor(COLOR_WINDOW));

        // The backup's value replaces the unwritten edit and is pending, never shown as the controller's.
        EditCell(gui, list, row, family.other);
        gui.Prompter().openFile = backup;
        gui.Click(app::kIdLoad);
        EXPECT_THAT(gui.Dashboard().StatusText2(), HasSubstr(L"Backup: "));
        EXPECT_EQ(cell(2), read);
        EXPECT_EQ(cell(1), family.typed);
        EXPECT_EQ(ChangeToColour(list, row), app::kChangedBackground);

        gui.Dashboard().SelectCard(app::kKeyComms);
        gui.Click(app::kIdConnect);
        EXPECT_FALSE(session::Current().connected);
    }
}

// A controller that leaves one read unanswered and refuses writes: the row it did not give stays
// empty, and a refused write names what was not taken and stays pending.
TEST(TuningPage, UnreadRowAndUnconfirmedWrite) {
    GuiHarness gui;
    ASSERT_TRUE(gui.StartAndConnect(kFamilies[0].settings, Variable("FJ_STUBBORN_PORT")));
    EXPECT_EQ(
        gui.Dashboard().StatusText2().rfind(L"1 value could not be read: press Reset to read it again (", 0),
        0u);

    HWND list = gui.Control(app::kIdTuningListFirst);
    const auto rows = ListViewRows(list);
    int unread = -1, other = -1;
    for (size_t i = 1; i < rows.size(); ++i) {
        if (rows[i][4].empty()) continue;  // a heading
        int& found = rows[i][1].empty() ? unread : other;
        if (found < 0) found = static_cast<int>(i);
    }
    ASSERT_GT(unread, 0);
    ASSERT_GT(other, 0);
    EXPECT_TRUE(rows[static_cast<size_t>(unread)][2].empty());

    // Its minimum, or its maximum where it holds the minimum already: a value the page takes.
    const auto& shown = rows[static_cast<size_t>(other)];
    const std::wstring typed = shown[4] != shown[1] ? shown[4] : shown[5];
    EditCell(gui, list, other, typed);
    // A value not read keeps the safety backup from being saved: the window asks before it writes, and
    // No sends nothing (this controller would refuse the write with an error).
    for (const bool yes : {false, true}) {
        gui.Prompter().messages.clear();
        gui.Prompter().yesNoAnswer = yes;
        gui.Click(app::kIdWrite);
        EXPECT_THAT(gui.Prompter().messages,
                    Contains(HasSubstr(L"No safety backup could be saved before this write")));
        EXPECT_EQ(std::ranges::any_of(gui.Prompter().messages,
                                      [](const auto& m) { return m.starts_with(L"Error"); }),
                  yes);
    }
    EXPECT_THAT(gui.Prompter().messages,
                Contains(L"Error: " + std::wstring(app::kNotConfirmed) + L"\n" + shown[0]));
    EXPECT_EQ(ListViewRows(list).at(static_cast<size_t>(other)).at(2), typed);
    EXPECT_EQ(ChangeToColour(list, other), app::kChangedBackground);
    EXPECT_FALSE(DirtyKeys().empty());
}

}  // namespace
