// The settings page's model: which boxes it offers, and that only Save writes what they say.
#include "app/cards/settings_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/app_ids.h"
#include "core/log.h"
#include "core/text.h"
#include "session/session.h"
#include "tests/support/temp_dir.h"

namespace {

using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

class SettingsModel : public testing::Test {
protected:
    void SetUp() override {
        session::Current() = session::Session{};
        session::Current().settingsPath = dir_ / "Vantrel-Settings.ini";
    }
    void TearDown() override { session::Current() = session::Session{}; }

    // The settings as the program would have read them at start.
    void StartWith(const std::string& fileText) {
        WriteFileBytes(session::Current().settingsPath, fileText);
        session::ReloadSettings();
    }

    testsupport::TempDir dir_;
    app::SettingsModel model_;
};

// RX/TX and Log are offered only while they are on, so that they can be turned off.
TEST_F(SettingsModel, OffersTheProbesAndTheOptionsThatAreOn) {
    const struct {
        const char* file;
        std::vector<int> ticked;
        std::vector<int> unticked;
    } cases[] = {
        {nullptr, {app::kIdProbeFj, app::kIdProbeEv48400c, app::kIdProbeTercel}, {}},
        {"[Probe]\nRXTX=true\n",
         {app::kIdProbeFj, app::kIdProbeEv48400c, app::kIdProbeTercel, app::kIdRxTx},
         {}},
        {"[Probe]\nLog=yes\nFJ=no\n",
         {app::kIdProbeEv48400c, app::kIdProbeTercel, app::kIdLog},
         {app::kIdProbeFj}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file ? c.file : "no file");
        if (c.file) StartWith(c.file);
        model_.Open();
        std::vector<int> shown;
        for (const auto& box : model_.Boxes()) shown.push_back(box.id);
        for (int id : c.ticked) EXPECT_TRUE(model_.IsChecked(id)) << id;
        for (int id : c.unticked) EXPECT_FALSE(model_.IsChecked(id)) << id;
        EXPECT_EQ(shown.size(), c.ticked.size() + c.unticked.size());
    }
}

TEST_F(SettingsModel, SaveWritesTheBoxesAndAnUntickedOptionGoes) {
    StartWith("[Probe]\nFJ=true\nEV48-400-C=true\nTercel=true\nLog=true\n");
    model_.Open();
    model_.SetChecked(app::kIdProbeEv48400c, false);
    model_.SetChecked(app::kIdLog, false);
    model_.Save();
    EXPECT_EQ(ReadFileBytes(session::Current().settingsPath),
              "[Probe]\nFJ=true\nEV48-400-C=false\nTercel=true\n");
    EXPECT_FALSE(session::Current().settings.probeEv48400c);
    EXPECT_FALSE(session::Current().settings.log);
    EXPECT_EQ(GetStatus(),
              L"Saved Settings to " + text::Utf8ToWide(text::PathToUtf8(session::Current().settingsPath)));
    model_.Open();
    EXPECT_FALSE(model_.IsShown(app::kIdLog));
}

TEST_F(SettingsModel, CancelAndAnEarlySaveWriteNothing) {
    session::Current().settings.probeTercel = false;
    model_.Save();  // before the page was opened: no boxes to take
    EXPECT_TRUE(session::Current().settings.probeFj);

    model_.Open();
    model_.SetChecked(app::kIdProbeFj, false);
    model_.SetChecked(app::kIdProbeTercel, true);
    model_.ResetChecks();
    EXPECT_TRUE(model_.IsChecked(app::kIdProbeFj));
    EXPECT_FALSE(model_.IsChecked(app::kIdProbeTercel));
    EXPECT_FALSE(std::filesystem::exists(session::Current().settingsPath));
}

}  // namespace
