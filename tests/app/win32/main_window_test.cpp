// The main window under Wine before any controller: the agreement refused, and the settings page's
// boxes saved and cancelled.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/app_ids.h"
#include "app/main_window.h"
#include "core/log.h"
#include "session/session.h"
#include "tests/app/win32/gui_harness.h"

namespace {

using testsupport::GuiHarness;

TEST(MainWindow, DisagreeClosesTheWindowAfterTheFarewell) {
    GuiHarness gui;
    gui.Start();
    gui.Click(app::kIdDisagree);
    EXPECT_FALSE(gui.WindowIsOpen());
    EXPECT_EQ(app::MainWindowHandle(), nullptr);
    EXPECT_THAT(gui.Prompter().pauses, testing::ElementsAre(1000u));
    EXPECT_EQ(GetStatus(), L"User Disagreed with EULA ... Vantrel shutting down");
}

TEST(MainWindow, SettingsBoxesAreSavedOrPutBack) {
    GuiHarness gui;
    gui.WriteSettingsFile("[Probe]\nFJ=false\n");
    gui.Start();
    gui.Click(app::kIdAgree);
    gui.ClickNavigation("Settings");
    EXPECT_FALSE(gui.IsChecked(app::kIdProbeFj));
    EXPECT_TRUE(gui.IsChecked(app::kIdProbeTercel));

    gui.Click(app::kIdProbeFj);
    gui.Click(app::kIdProbeEv48400c);
    gui.Click(app::kIdSettingsCancel);
    EXPECT_FALSE(gui.IsChecked(app::kIdProbeFj));
    EXPECT_TRUE(gui.IsChecked(app::kIdProbeEv48400c));
    EXPECT_EQ(gui.SettingsFileText(), "[Probe]\nFJ=false\n");

    gui.Click(app::kIdProbeTercel);
    gui.Click(app::kIdSettingsSave);
    EXPECT_EQ(gui.SettingsFileText(), "[Probe]\nFJ=false\nEV48-400-C=true\nTercel=false\n");
    EXPECT_FALSE(session::Current().settings.probeTercel);
}

}  // namespace
