// The faults page under Wine against simulated controllers: the FJ one's current and historical
// records with their descriptions and legend, and the Tercel columns with two empty lists.
#include <windows.h>

#include <commctrl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/app_ids.h"
#include "app/cards/comm_port_select_card.h"
#include "app/cards/faults_card.h"
#include "app/cards/faults_model.h"
#include "core/host.h"
#include "core/text.h"
#include "tests/app/win32/gui_harness.h"

namespace {

using testing::ElementsAre;
using testsupport::GuiHarness;
using Rows = std::vector<std::vector<std::wstring>>;

std::string Port(const char* variable) {
    const char* port = std::getenv(variable);
    return port ? port : "";
}

// Connects the one family enabled in the settings on the port of its simulator.
void Connect(GuiHarness& gui, const char* family, const char* portVariable, const char* extraSettings = "") {
    std::string settings = "[Probe]\n";
    for (const char* name : {"FJ", "EV48-400-C", "Tercel"})
        settings += std::string(name) + "=" + (std::string(name) == family ? "true" : "false") + "\n";
    gui.WriteSettingsFile(settings + extraSettings);
    gui.Start();
    gui.Click(app::kIdAgree);
    const std::wstring suffix = L"(" + text::Utf8ToWide(Port(portVariable)) + L")";
    HWND list = gui.Control(app::kIdPortList);
    const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t item[256] = {};
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
        if (std::wstring(item).ends_with(suffix)) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
    }
    gui.Click(app::kIdConnect);
}

std::vector<std::wstring> ColumnTitles(HWND list) {
    std::vector<std::wstring> titles;
    for (int c = 0;; ++c) {
        wchar_t title[64] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = title;
        column.cchTextMax = 64;
        if (!SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column)))
            break;
        titles.emplace_back(title);
    }
    return titles;
}

// The error-code file beside the test program, as a user's installation has it, for the length of a test.
class ErrorCodeFile {
public:
    ErrorCodeFile() : path_(host::ExecutableDirectory().value() / "FJ" / "fj-errors.csv") {
        std::filesystem::create_directories(path_.parent_path());
        std::ofstream(path_) << "Code,Level,Text1,Text2,Text3\n"
                                "17,3,\"Motor overtemperature\",\"x\",\"y\"\n"
                                "42,20,\"Low battery warning\",\"x\",\"y\"\n"
                                "11,2,\"Throttle fault\",\"x\",\"y\"\n";
    }
    ~ErrorCodeFile() { std::filesystem::remove_all(path_.parent_path()); }

private:
    std::filesystem::path path_;
};

TEST(FaultsPage, ListsTheFjControllersRecords) {
    ErrorCodeFile errors;
    GuiHarness gui;
    Connect(gui, "FJ", "VANTREL_TEST_FJ_PORT");
    ASSERT_EQ(gui.NavLabels().at(1), "Faults");
    gui.ClickNavigation("Faults");

    HWND current = gui.Control(app::kIdCurrentFaults);
    HWND historical = gui.Control(app::kIdHistoricalFaults);
    ASSERT_TRUE(current && historical);
    EXPECT_THAT(ColumnTitles(current), ElementsAre(L"#", L"Code", L"Level", L"Data", L"Description"));
    EXPECT_THAT(ColumnTitles(historical),
                ElementsAre(L"#", L"Code", L"Level", L"Times", L"Data", L"Description"));
    // The simulator's two active faults, and its three stored ones (numbers are table positions).
    EXPECT_EQ(testsupport::ListViewRows(current), (Rows{{L"1", L"17", L"3", L"258", L"Motor overtemperature"},
                                                        {L"2", L"42", L"20", L"7", L"Low battery warning"}}));
    EXPECT_EQ(testsupport::ListViewRows(historical),
              (Rows{{L"1", L"11", L"2", L"4", L"0", L"Throttle fault"},
                    {L"2", L"23", L"5", L"1", L"300", L""},
                    {L"3", L"17", L"1", L"2", L"9", L"Motor overtemperature"}}));
    EXPECT_EQ(gui.StatusText2(), L"FJ Controller");
    EXPECT_THAT(testsupport::WindowText(gui.Control(app::kIdFaultLegend)),
                testing::StartsWith(L"FJ Fault Levels:\r\n1: The main circuit breaker"));
    EXPECT_EQ(gui.ControlText(app::kIdClearHistoricalFaults), L"Clear Historical Faults");
    EXPECT_FALSE(gui.IsEnabled(app::kIdClearHistoricalFaults));
    const RECT clear = gui.ControlRect(app::kIdClearHistoricalFaults);
    EXPECT_EQ(clear.top, 460);
    EXPECT_EQ(clear.right - clear.left, 170);

    gui.ClickNavigation("Tuning");
    EXPECT_EQ(gui.Control(app::kIdCurrentFaults), nullptr);
    gui.Finish();
}

TEST(FaultsPage, TercelShowsItsColumnsAndNoFaults) {
    GuiHarness gui;
    Connect(gui, "Tercel", "VANTREL_TEST_TERCEL_PORT");
    gui.ClickNavigation("Faults");
    EXPECT_THAT(ColumnTitles(gui.Control(app::kIdCurrentFaults)), ElementsAre(L"Code", L"Times", L"Name"));
    EXPECT_THAT(ColumnTitles(gui.Control(app::kIdHistoricalFaults)), ElementsAre(L"Code", L"Name"));
    EXPECT_TRUE(testsupport::ListViewRows(gui.Control(app::kIdCurrentFaults)).empty());
    EXPECT_TRUE(testsupport::ListViewRows(gui.Control(app::kIdHistoricalFaults)).empty());
    EXPECT_EQ(gui.StatusText2(), L"Tercel Controller");
    EXPECT_EQ(testsupport::WindowText(gui.Control(app::kIdFaultLegend)), L"");
    // Without the RXTX setting there is no raw frame page.
    EXPECT_THAT(gui.NavLabels(), testing::Not(testing::Contains("RX/TX")));
    gui.Finish();
}

}  // namespace
