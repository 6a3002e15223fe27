// The tuning page end to end under Wine: the real window and drivers against a simulated controller
// of each family, whose state file shows what the controller stores.
#include <windows.h>

#include <commctrl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/app_ids.h"
#include "app/cards/comm_port_select_card.h"
#include "app/cards/tuning_card.h"
#include "app/cards/tuning_model.h"
#include "core/param_registry.h"
#include "tests/app/win32/gui_harness.h"

namespace {

using testing::Contains;
using testing::HasSubstr;
using testsupport::GuiHarness;
using testsupport::ListViewRows;

struct FamilyCase {
    const char* name;
    const char* portVariable;
    const char* stateVariable;
    const wchar_t* firstHeading;
    const wchar_t* rowLabel;  // an entry of the "Tuning" list stored as the plain number typed
    const wchar_t* typed;
    const wchar_t* other;   // typed after the backup, to be undone by loading it
    const char* stateLine;  // the simulator's stored block once the value is written
    const wchar_t* status;
};

constexpr FamilyCase kFamilies[] = {
    {"FJ", "VANTREL_TEST_FJ_PORT", "VANTREL_TEST_FJ_STATE", L"Speed Control", nullptr, L"3456", L"2345",
     "0D:1F=0D80", L"FJ Controller"},
    {"EV48-400-C", "VANTREL_TEST_EV48400C_PORT", "VANTREL_TEST_EV48400C_STATE", L"Speed Control",
     L"Forward High Gear Max Speed", L"3000", L"2800", "57=B80B", L"EV48-400C D5 Controller"},
    {"Tercel", "VANTREL_TEST_TERCEL_PORT", "VANTREL_TEST_TERCEL_STATE", L"Speed Control",
     L"2.01.09 : Motor Maximum RPM", L"4321", L"4000", "2878=10E1", L"Tercel Controller"},
};

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool SelectPort(GuiHarness& gui, const std::string& port) {
    HWND list = gui.Control(app::kIdPortList);
    const std::wstring suffix = L"(" + std::wstring(port.begin(), port.end()) + L")";
    const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        if (std::wstring(text).ends_with(suffix)) {
            SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return true;
        }
    }
    return false;
}

std::string SettingsFor(const FamilyCase& only) {
    std::string text = "[Probe]\n";
    for (const auto& family : kFamilies)
        text += std::string(family.name) + "=" + (&family == &only ? "true" : "false") + "\n";
    return text;
}

int RowOf(HWND list, const wchar_t* label) {
    const auto rows = ListViewRows(list);
    for (size_t i = 0; i < rows.size(); ++i)
        if (label ? rows[i][0] == label : i > 0) return static_cast<int>(i);
    return -1;
}

app::TuningCard* Card(GuiHarness& gui) {
    return dynamic_cast<app::TuningCard*>(gui.Dashboard().FindCard(app::kKeyTuning));
}

// A double click on the row's "Change To" cell, the text typed over the selection, and Enter.
void EditCell(GuiHarness& gui, HWND list, int row, const std::wstring& typed) {
    testsupport::DoubleClickListViewCell(list, row, app::kChangeToColumn);
    gui.Pump();
    HWND editor = Card(gui)->Editor();
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(GetParent(editor), list);
    EXPECT_EQ(testsupport::WindowText(editor), ListViewRows(list)[static_cast<size_t>(row)][2]);
    SetWindowTextW(editor, typed.c_str());
    SendMessageW(editor, WM_KEYDOWN, VK_RETURN, 0);
    gui.Pump();
    EXPECT_EQ(Card(gui)->Editor(), nullptr);
}

// The colour a cell is painted on, a little in from its left edge where no text reaches.
COLORREF CellColour(HWND list, int row, int column) {
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT cell{};
    cell.top = column;
    cell.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    HDC dc = GetDC(list);
    const COLORREF colour = GetPixel(dc, cell.left + 4, (cell.top + cell.bottom) / 2);
    ReleaseDC(list, dc);
    return colour;
}

std::wstring Warning(std::wstring_view text) {
    return L"Warning? " + std::wstring(text);
}

TEST(TuningPage, EditWriteResetSaveAndLoadOnEachFamily) {
    for (const auto& family : kFamilies) {
        SCOPED_TRACE(family.name);
        GuiHarness gui;
        gui.WriteSettingsFile(SettingsFor(family));
        gui.Start();
        gui.Click(app::kIdAgree);
        ASSERT_TRUE(SelectPort(gui, Variable(family.portVariable)));
        gui.Click(app::kIdConnect);
        ASSERT_EQ(gui.Dashboard().CurrentKey(), app::kKeyTuning);
        EXPECT_EQ(gui.StatusText2(), family.status);

        HWND list = gui.Control(app::kIdTuningListFirst);
        ASSERT_NE(list, nullptr);
        EXPECT_TRUE(IsWindowVisible(list));
        EXPECT_TRUE(gui.IsChecked(app::kIdTabTuning));
        EXPECT_FALSE(IsWindowVisible(gui.Control(app::kIdTabStats)));
        EXPECT_EQ(ListViewRows(list).at(0).at(0), family.firstHeading);
        const int row = RowOf(list, family.rowLabel);
        ASSERT_GT(row, 0);
        const auto cell = [&](int column) {
            return ListViewRows(list).at(static_cast<size_t>(row)).at(column);
        };

        // The Info list opens no editor.
        gui.Click(app::kIdTabInfo);
        HWND info = gui.Control(app::kIdTuningListFirst + 2);
        EXPECT_TRUE(IsWindowVisible(info));
        EXPECT_FALSE(IsWindowVisible(list));
        testsupport::DoubleClickListViewCell(info, 1, app::kChangeToColumn);
        gui.Pump();
        EXPECT_EQ(Card(gui)->Editor(), nullptr);
        gui.Click(app::kIdTabTuning);

        // Out of range: refused, nothing changes.
        const std::wstring before = cell(2);
        EditCell(gui, list, row, L"99999");
        EXPECT_THAT(gui.Prompter().messages, Contains(L"Invalid: Value out of range"));
        EXPECT_EQ(cell(2), before);
        EXPECT_TRUE(DirtyKeys().empty());

        EditCell(gui, list, row, family.typed);
        EXPECT_EQ(cell(2), family.typed);
        EXPECT_FALSE(DirtyKeys().empty());
        EXPECT_EQ(CellColour(list, row, app::kChangeToColumn), app::kChangedBackground);
        EXPECT_EQ(CellColour(list, row, 1), GetSysColor(COLOR_HIGHLIGHT));  // the row is still selected
        EXPECT_EQ(CellColour(list, 0, 3), app::kHeadingBackground);

        gui.Prompter().messages.clear();
        gui.Click(app::kIdWrite);
        gui.Pump();
        EXPECT_THAT(gui.Prompter().messages, Contains(Warning(app::kWriteWarning)));
        EXPECT_THAT(Lines(ReadText(Variable(family.stateVariable))), Contains(HasSubstr(family.stateLine)));
        EXPECT_EQ(cell(1), family.typed);

        gui.Prompter().messages.clear();
        gui.Click(app::kIdReset);
        gui.Pump();
        EXPECT_EQ(cell(1), family.typed);
        EXPECT_EQ(CellColour(list, row, app::kChangeToColumn), GetSysColor(COLOR_WINDOW));
        gui.Click(app::kIdWrite);
        EXPECT_THAT(gui.Prompter().messages, testing::ElementsAre(L"Info: No changes to write!"));

        const auto backup = gui.Folder() / "backup.vtdata";
        gui.Prompter().saveFile = backup;
        gui.Click(app::kIdSave);
        EXPECT_THAT(testsupport::ReadFileBytes(backup),
                    HasSubstr(std::string("ControllerType=") + family.name));

        EditCell(gui, list, row, family.other);
        gui.Prompter().messages.clear();
        gui.Prompter().openFile = backup;
        gui.Click(app::kIdLoad);
        gui.Pump();
        EXPECT_THAT(gui.Prompter().messages,
                    testing::ElementsAre(Warning(app::kLoadWarning), Warning(app::kLoadUnwrittenWarning)));
        EXPECT_THAT(gui.StatusText2(), HasSubstr(L"Backup: "));
        EXPECT_EQ(cell(2), family.typed);
        gui.Finish();
    }
}

// A controller that leaves one read unanswered and refuses writes: the row it did not give stays
// empty and opens no editor, and a refused write names what was not taken and stays pending.
TEST(TuningPage, UnreadRowAndUnconfirmedWrite) {
    GuiHarness gui;
    gui.WriteSettingsFile(SettingsFor(kFamilies[0]));
    gui.Start();
    gui.Click(app::kIdAgree);
    ASSERT_TRUE(SelectPort(gui, Variable("VANTREL_TEST_FJ_STUBBORN_PORT")));
    gui.Click(app::kIdConnect);
    ASSERT_EQ(gui.Dashboard().CurrentKey(), app::kKeyTuning);
    EXPECT_EQ(gui.StatusText2(), L"1 value could not be read: press Reset to read them again");

    HWND list = gui.Control(app::kIdTuningListFirst);
    const auto rows = ListViewRows(list);
    int unread = -1;
    int other = -1;
    for (size_t i = 1; i < rows.size(); ++i) {
        if (rows[i][4].empty()) continue;  // a heading
        if (rows[i][1].empty() && unread < 0) unread = static_cast<int>(i);
        if (!rows[i][1].empty() && other < 0) other = static_cast<int>(i);
    }
    ASSERT_GT(unread, 0);
    ASSERT_GT(other, 0);
    EXPECT_TRUE(rows[static_cast<size_t>(unread)][2].empty());
    testsupport::DoubleClickListViewCell(list, unread, app::kChangeToColumn);
    gui.Pump();
    EXPECT_EQ(Card(gui)->Editor(), nullptr);

    // Its minimum, or its maximum where it holds the minimum already: a value the page takes.
    const auto& shown = rows[static_cast<size_t>(other)];
    const std::wstring typed = shown[4] != shown[1] ? shown[4] : shown[5];
    EditCell(gui, list, other, typed);
    gui.Prompter().messages.clear();
    gui.Click(app::kIdWrite);
    gui.Pump();
    const std::wstring label = rows[static_cast<size_t>(other)][0];
    EXPECT_THAT(gui.Prompter().messages,
                Contains(L"Error: " + std::wstring(app::kNotConfirmed) + L"\n" + label));
    EXPECT_EQ(ListViewRows(list).at(static_cast<size_t>(other)).at(2), typed);
    EXPECT_EQ(CellColour(list, other, app::kChangeToColumn), app::kChangedBackground);
    EXPECT_FALSE(DirtyKeys().empty());
    gui.Finish();
}

}  // namespace
