// The tuning page end to end under Wine: the real window and drivers against a simulated controller
// of each family, whose state file shows what the controller stores.
#include <windows.h>

#include <commctrl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/app_ids.h"
#include "app/cards/comm_port_select_card.h"
#include "app/cards/tuning_card.h"
#include "app/cards/tuning_model.h"
#include "core/param_registry.h"
#include "session/session.h"
#include "tests/app/win32/gui_harness.h"

namespace {

using testing::Contains;
using testing::ElementsAre;
using testing::HasSubstr;
using testsupport::GuiHarness;
using testsupport::ListViewRows;
using testsupport::Variable;

struct FamilyCase {
    const char* name;
    const char* settings;  // Tercel's line is probed by the other two families first
    const char* portVariable;
    const char* stateVariable;
    const wchar_t* rowLabel;  // a "Tuning" entry stored as the number typed; nullptr: the first row
    const wchar_t* typed;
    const wchar_t* other;   // typed and not written, to be replaced by loading the backup
    const char* stateLine;  // the simulator's stored block once the value is written
    const wchar_t* status;  // the simulated EV48-400-C reports the D5 model
};

constexpr FamilyCase kFamilies[] = {
    {"FJ", "[Probe]\nEV48-400-C=false\nTercel=false\n", "VANTREL_TEST_FJ_PORT", "VANTREL_TEST_FJ_STATE",
     nullptr, L"3456", L"2345", "0D:1F=0D80", L"FJ Controller"},
    {"EV48-400-C", "[Probe]\nFJ=false\nTercel=false\n", "VANTREL_TEST_EV48400C_PORT",
     "VANTREL_TEST_EV48400C_STATE", L"Forward High Gear Max Speed", L"3000", L"2800", "57=B80B",
     L"EV48-400C D5 Controller"},
    {"Tercel", "[Probe]\n", "VANTREL_TEST_TERCEL_PORT", "VANTREL_TEST_TERCEL_STATE",
     L"2.01.09 : Motor Maximum RPM", L"4321", L"4000", "2878=10E1", L"Tercel Controller"},
};

// A double click on the row's "Change To" cell, the text typed over the selection, and Enter.
void EditCell(GuiHarness& gui, HWND list, int row, const std::wstring& typed) {
    testsupport::DoubleClickListViewCell(list, row, app::kChangeToColumn);
    gui.Pump();
    auto* card = dynamic_cast<app::TuningCard*>(gui.Dashboard().FindCard(app::kKeyTuning));
    HWND editor = card->Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(testsupport::WindowText(editor), ListViewRows(list)[static_cast<size_t>(row)][2]);
    SetWindowTextW(editor, typed.c_str());
    SendMessageW(editor, WM_KEYDOWN, VK_RETURN, 0);
    gui.Pump();
    EXPECT_EQ(card->Editor(), nullptr);
}

// The colour a "Change To" cell is painted on, a little in from its left edge where no text reaches.
COLORREF ChangeToColour(HWND list, int row) {
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const RECT cell = testsupport::CellRect(list, row, app::kChangeToColumn);
    HDC dc = GetDC(list);
    const COLORREF colour = GetPixel(dc, cell.left + 4, (cell.top + cell.bottom) / 2);
    ReleaseDC(list, dc);
    return colour;
}

std::wstring Warning(std::wstring_view text) {
    return L"Warning? " + std::wstring(text);
}

TEST(TuningPage, EditWriteResetSaveLoadAndDisconnectOnEachFamily) {
    for (const auto& family : kFamilies) {
        SCOPED_TRACE(family.name);
        GuiHarness gui;
        ASSERT_TRUE(gui.StartAndConnect(family.settings, Variable(family.portVariable)));
        ASSERT_EQ(gui.Dashboard().CurrentKey(), app::kKeyTuning);
        EXPECT_EQ(gui.Dashboard().StatusText2(), family.status);

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
        EXPECT_THAT(testsupport::ReadFileBytes(backup),
                    HasSubstr(std::string("ControllerType=") + family.name));

        EditCell(gui, list, row, family.typed);
        EXPECT_EQ(cell(2), family.typed);
        EXPECT_EQ(ChangeToColour(list, row), app::kChangedBackground);

        // The Write saves the controller's values first, the same as the backup saved before the edit.
        const auto safetyFolder = gui.Folder() / family.name / "backups";
        gui.Prompter().messages.clear();
        gui.Click(app::kIdWrite);
        EXPECT_THAT(gui.Prompter().messages, Contains(Warning(app::kWriteWarning)));
        EXPECT_THAT(gui.Prompter().messages, testing::Not(Contains(testing::StartsWith(L"Error"))));
        const auto records = [](const std::filesystem::path& file) {
            std::string kept;
            std::istringstream lines(testsupport::ReadFileBytes(file));
            for (std::string line; std::getline(lines, line);)
                if (!line.starts_with("Name=") && !line.starts_with("Date=")) kept += line + '\n';
            return kept;
        };
        const std::filesystem::path safety = std::filesystem::directory_iterator(safetyFolder)->path();
        EXPECT_THAT(safety.filename().string(),
                    testing::StartsWith("Vantrel-" + std::string(family.name) + "-AutoBackup-"));
        EXPECT_EQ(records(safety), records(backup));
        EXPECT_THAT(testsupport::ReadFileBytes(Variable(family.stateVariable)), HasSubstr(family.stateLine));
        EXPECT_EQ(cell(1), family.typed);

        // Read back from the controller: what it holds is what was typed, and nothing is pending.
        gui.Click(app::kIdReset);
        EXPECT_EQ(cell(1), family.typed);
        EXPECT_EQ(ChangeToColour(list, row), GetSysColor(COLOR_WINDOW));

        // The backup's value replaces the unwritten edit and is pending, never shown as the controller's.
        EditCell(gui, list, row, family.other);
        gui.Prompter().messages.clear();
        gui.Prompter().openFile = backup;
        gui.Click(app::kIdLoad);
        EXPECT_THAT(gui.Prompter().messages,
                    ElementsAre(Warning(app::kLoadWarning), Warning(app::kLoadUnwrittenWarning)));
        EXPECT_THAT(gui.Dashboard().StatusText2(), HasSubstr(L"Backup: "));
        EXPECT_EQ(cell(2), read);
        EXPECT_EQ(cell(1), family.typed);
        EXPECT_EQ(ChangeToColour(list, row), app::kChangedBackground);

        gui.ClickNavigation("Communications");
        gui.Click(app::kIdConnect);
        EXPECT_EQ(gui.Dashboard().NavEntries().size(), 3u);  // Communications, Settings, About
        EXPECT_EQ(gui.Dashboard().StatusText1(), L"Not Connected");
        EXPECT_FALSE(session::Current().connected);
    }
}

// A controller that leaves one read unanswered and refuses writes: the row it did not give stays
// empty, and a refused write names what was not taken and stays pending.
TEST(TuningPage, UnreadRowAndUnconfirmedWrite) {
    GuiHarness gui;
    ASSERT_TRUE(gui.StartAndConnect(kFamilies[0].settings, Variable("VANTREL_TEST_FJ_STUBBORN_PORT")));
    EXPECT_EQ(gui.Dashboard().StatusText2(), L"1 value could not be read: press Reset to read them again");

    HWND list = gui.Control(app::kIdTuningListFirst);
    const auto rows = ListViewRows(list);
    int unread = -1;
    int other = -1;
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
    gui.Prompter().messages.clear();
    gui.Click(app::kIdWrite);
    // A value not read keeps the safety backup from being saved: the window asks before it writes.
    EXPECT_THAT(gui.Prompter().messages,
                Contains(HasSubstr(L"No safety backup could be saved before this write")));
    EXPECT_THAT(gui.Prompter().messages,
                Contains(L"Error: " + std::wstring(app::kNotConfirmed) + L"\n" + shown[0]));
    EXPECT_EQ(ListViewRows(list).at(static_cast<size_t>(other)).at(2), typed);
    EXPECT_EQ(ChangeToColour(list, other), app::kChangedBackground);
    EXPECT_FALSE(DirtyKeys().empty());
}

}  // namespace
