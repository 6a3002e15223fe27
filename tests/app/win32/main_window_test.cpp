// The main window as the user meets it, in this process under Wine: agreement, main pages, settings,
// connection events and the end of the run.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/app_ids.h"
#include "app/app_state.h"
#include "app/main_window.h"
#include "core/log.h"
#include "core/text.h"
#include "session/family_table.h"
#include "session/session.h"
#include "tests/app/win32/gui_harness.h"

namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using testsupport::GuiHarness;

// The content area starts one pixel right of the navigation column.
constexpr int kContentLeft = 181;

bool SameRect(const RECT& rect, int left, int top, int width, int height) {
    return rect.left == left && rect.top == top && rect.right - rect.left == width &&
           rect.bottom - rect.top == height;
}

std::string DescribeRect(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) +
           "x" + std::to_string(r.bottom - r.top);
}

#define EXPECT_PLACED(gui, id, left, top, width, height)                   \
    EXPECT_TRUE(SameRect((gui).ControlRect(id), left, top, width, height)) \
        << DescribeRect((gui).ControlRect(id))

void AgreeAndOpen(GuiHarness& gui, const std::string& page) {
    gui.Click(app::kIdAgree);
    if (page != "Communications") gui.ClickNavigation(page);
}

TEST(MainWindow, StartsOnTheAgreementWithTheVersionInTheTitle) {
    GuiHarness gui;
    gui.Start();
    EXPECT_EQ(gui.Title(), L"Vantrel  :  " + text::Utf8ToWide(VANTREL_VERSION));
    wchar_t className[64] = {};
    GetClassNameW(gui.Window(), className, 64);
    EXPECT_STREQ(className, L"DashboardWindowClass");
    RECT outer{};
    GetWindowRect(gui.Window(), &outer);
    EXPECT_TRUE(SameRect(outer, 100, 100, 1200, 800)) << DescribeRect(outer);
    const LONG style = GetWindowLongW(gui.Window(), GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    EXPECT_NE(style & WS_MINIMIZEBOX, 0);

    EXPECT_THAT(gui.NavLabels(), ElementsAre("Acknowledge"));
    EXPECT_EQ(gui.ControlText(app::kIdAgree), L"I Agree");
    EXPECT_EQ(gui.ControlText(app::kIdDisagree), L"Disagree");
    EXPECT_PLACED(gui, app::kIdDisagree, 420, 650, 100, 28);
    EXPECT_PLACED(gui, app::kIdAgree, 620, 650, 100, 28);
    EXPECT_EQ(GetWindowLongW(gui.Control(app::kIdDisagree), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_THAT(text::WideToUtf8(gui.RichText()), HasSubstr("Vantrel End-User License Agreement (EULA)"));
    EXPECT_THAT(text::WideToUtf8(gui.RichText()), HasSubstr("Click DISAGREE to EXIT"));
    EXPECT_EQ(gui.StatusText1(), L"");
    EXPECT_EQ(gui.StatusText2(), L"");
    EXPECT_EQ(app::MainWindowHandle(), gui.Window());
    EXPECT_EQ(app::MainDashboard(), &gui.Dashboard());
}

TEST(MainWindow, DisagreeClosesTheWindowAfterTheStatusText) {
    GuiHarness gui;
    gui.Start();
    gui.Click(app::kIdDisagree);
    EXPECT_FALSE(gui.WindowIsOpen());
    EXPECT_EQ(app::MainWindowHandle(), nullptr);
    EXPECT_EQ(app::MainDashboard(), nullptr);
    EXPECT_THAT(gui.Prompter().pauses, ElementsAre(1000u));
    EXPECT_EQ(GetStatus(), L"User Disagreed with EULA ... Vantrel shutting down");
}

TEST(MainWindow, IAgreeGivesTheMainPagesWithCommunicationsSelected) {
    GuiHarness gui;
    gui.Start();
    gui.Click(app::kIdAgree);
    EXPECT_THAT(gui.NavLabels(), ElementsAre("Communications", "Settings", "About Vantrel"));
    EXPECT_EQ(gui.Dashboard().CurrentKey(), "Comms");
    // The connection page lists the ports on creation and clears the status line.
    EXPECT_EQ(gui.StatusText2(), L"");
    EXPECT_EQ(gui.Control(app::kIdAgree), nullptr);
    EXPECT_EQ(gui.Control(app::kIdDisagree), nullptr);
    EXPECT_THAT(gui.RichText(), HasSubstr(L"plugging and unplugging your cable"));
}

TEST(MainWindow, ClickingTheCurrentPageChangesNothing) {
    GuiHarness gui;
    gui.Start();
    gui.Click(app::kIdAgree);
    const size_t linesBefore = logdetail::BufferedLineCount();
    gui.ClickNavigation("Communications");
    EXPECT_EQ(gui.Dashboard().CurrentKey(), "Comms");
    EXPECT_EQ(gui.StatusText2(), L"");
    EXPECT_EQ(logdetail::BufferedLineCount(), linesBefore);
}

TEST(MainWindow, ClickingAnotherPageClearsTheStatusText) {
    GuiHarness gui;
    gui.Start();
    AgreeAndOpen(gui, "About Vantrel");
    EXPECT_EQ(gui.Dashboard().CurrentKey(), "About");
    EXPECT_EQ(gui.StatusText2(), L"");
    EXPECT_THAT(text::WideToUtf8(gui.RichText()), HasSubstr("Contact us at"));
    EXPECT_THAT(text::WideToUtf8(gui.RichText()), HasSubstr("support@vantrel.example"));
}

TEST(MainWindow, SettingsWithoutAFileShowThreeTickedProbes) {
    GuiHarness gui;
    gui.Start();
    AgreeAndOpen(gui, "Settings");
    for (int id : {app::kIdProbeFj, app::kIdProbeEv48400c, app::kIdProbeTercel}) {
        EXPECT_TRUE(gui.IsChecked(id)) << id;
    }
    EXPECT_EQ(gui.ControlText(app::kIdProbeEv48400c), L"Probe for EV48-400-C Controller");
    EXPECT_EQ(gui.Control(app::kIdRxTx), nullptr);
    EXPECT_EQ(gui.Control(app::kIdLog), nullptr);
    EXPECT_PLACED(gui, app::kIdProbeFj, kContentLeft + 200, 100, 250, 20);
    EXPECT_PLACED(gui, app::kIdProbeTercel, kContentLeft + 200, 160, 250, 20);
    EXPECT_PLACED(gui, app::kIdSettingsSave, kContentLeft + 320, 500, 100, 30);
    EXPECT_PLACED(gui, app::kIdSettingsCancel, kContentLeft + 520, 500, 100, 30);
}

TEST(MainWindow, SavingSettingsWritesTheTickedBoxes) {
    GuiHarness gui;
    gui.Start();
    AgreeAndOpen(gui, "Settings");
    gui.Click(app::kIdProbeTercel);
    gui.Click(app::kIdSettingsSave);
    EXPECT_EQ(gui.SettingsFileText(), "[Probe]\r\nFJ=true\r\nEV48-400-C=true\r\nTercel=false\r\n");
    EXPECT_FALSE(session::Current().settings.probeTercel);
    EXPECT_EQ(gui.StatusText2(),
              L"Saved Settings to " + (gui.Folder().Path() / L"Vantrel-Settings.ini").wstring());
}

TEST(MainWindow, CancelRestoresTheBoxesAndWritesNothing) {
    GuiHarness gui;
    gui.WriteSettingsFile("[Probe]\nFJ=false\n");
    gui.Start();
    AgreeAndOpen(gui, "Settings");
    EXPECT_FALSE(gui.IsChecked(app::kIdProbeFj));
    gui.Click(app::kIdProbeFj);
    gui.Click(app::kIdProbeEv48400c);
    EXPECT_TRUE(gui.IsChecked(app::kIdProbeFj));
    gui.Click(app::kIdSettingsCancel);
    EXPECT_FALSE(gui.IsChecked(app::kIdProbeFj));
    EXPECT_TRUE(gui.IsChecked(app::kIdProbeEv48400c));
    EXPECT_EQ(gui.SettingsFileText(), "[Probe]\nFJ=false\n");
}

TEST(MainWindow, UntickedLogIsRemovedAndItsBoxGoesAway) {
    GuiHarness gui;
    gui.WriteSettingsFile("[Probe]\nLog=true\nRXTX=yes\n");
    gui.Start();
    AgreeAndOpen(gui, "Settings");
    EXPECT_TRUE(gui.IsChecked(app::kIdLog));
    EXPECT_TRUE(gui.IsChecked(app::kIdRxTx));
    EXPECT_PLACED(gui, app::kIdLog, kContentLeft + 200, 220, 250, 20);
    gui.Click(app::kIdLog);
    gui.Click(app::kIdSettingsSave);
    EXPECT_EQ(gui.SettingsFileText(), "[Probe]\nRXTX=true\nFJ=true\nEV48-400-C=true\nTercel=true\n");
    gui.ClickNavigation("About Vantrel");
    gui.ClickNavigation("Settings");
    EXPECT_EQ(gui.Control(app::kIdLog), nullptr);
    EXPECT_TRUE(gui.IsChecked(app::kIdRxTx));
}

TEST(MainWindow, ConnectionEventsAddAndRemoveTheControllerPages) {
    GuiHarness gui;
    gui.WriteSettingsFile("[Probe]\nRXTX=true\n");
    gui.Start();
    gui.Click(app::kIdAgree);
    gui.Post(app::kEventConnection, session::Ops(Family::Tercel).eventCode, 1);
    EXPECT_THAT(gui.NavLabels(),
                ElementsAre("Tuning", "Faults", "RX/TX", "Communications", "Settings", "About Vantrel"));
    EXPECT_EQ(gui.Dashboard().CurrentKey(), "TuningCard");
    gui.ClickNavigation("Faults");
    gui.Post(app::kEventConnection, session::Ops(Family::Tercel).eventCode, 0);
    EXPECT_THAT(gui.NavLabels(), ElementsAre("Communications", "Settings", "About Vantrel"));
    EXPECT_EQ(gui.Dashboard().CurrentKey(), "Comms");
}

TEST(MainWindow, AnFjConnectionHasNoRxTxPage) {
    GuiHarness gui;
    gui.WriteSettingsFile("[Probe]\nRXTX=true\n");
    gui.Start();
    gui.Click(app::kIdAgree);
    gui.Post(app::kEventConnection, session::Ops(Family::FJ).eventCode, 1);
    EXPECT_THAT(gui.NavLabels(),
                ElementsAre("Tuning", "Faults", "Communications", "Settings", "About Vantrel"));
}

TEST(MainWindow, WithLogOffAShortRunLeavesOnlyTheSeparator) {
    GuiHarness gui;
    gui.Start();
    AgreeAndOpen(gui, "Settings");
    gui.Finish();
    EXPECT_EQ(gui.LogFileText(), "--------------\n");
}

TEST(MainWindow, WithLogOnTheRunIsAppendedAtExit) {
    GuiHarness gui;
    gui.WriteSettingsFile("[Probe]\nLog=1\n");
    gui.Start();
    gui.Click(app::kIdAgree);
    gui.Finish();
    const std::string log = gui.LogFileText();
    EXPECT_EQ(log.rfind("--------------\n", 0), 0u);
    EXPECT_THAT(log, HasSubstr("] EULA Presented\n"));
    EXPECT_THAT(log, HasSubstr("] User Agreed to EULA\n"));
}

}  // namespace
