#include "app/cards/settings_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/app_ids.h"
#include "core/log.h"
#include "core/text.h"
#include "session/session.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_dir.h"

namespace {

using testing::ElementsAre;
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

    std::vector<int> ShownIds() const {
        std::vector<int> ids;
        for (const auto& box : model_.Boxes()) ids.push_back(box.id);
        return ids;
    }

    testsupport::TempDir dir_;
    testsupport::LogCapture log_;
    app::SettingsModel model_;
};

TEST_F(SettingsModel, WithoutAFileOffersTheThreeProbesTicked) {
    model_.Open();
    EXPECT_THAT(ShownIds(), ElementsAre(1700, 1701, 1703));
    for (int id : {1700, 1701, 1703}) EXPECT_TRUE(model_.IsChecked(id)) << id;
}

TEST_F(SettingsModel, OffersRxTxAndLogOnlyWhileTheyAreOn) {
    StartWith("[Probe]\nRXTX=true\n");
    model_.Open();
    EXPECT_THAT(ShownIds(), ElementsAre(1700, 1701, 1703, 1704));

    StartWith("[Probe]\nLog=yes\nFJ=no\n");
    model_.Open();
    EXPECT_THAT(ShownIds(), ElementsAre(1700, 1701, 1703, 1705));
    EXPECT_EQ(model_.Boxes()[3].top, 220);
    EXPECT_FALSE(model_.IsChecked(1700));
    EXPECT_TRUE(model_.IsChecked(1705));
}

TEST_F(SettingsModel, SaveWritesTheProbeKeysAndNoOptionalKeys) {
    model_.Open();
    model_.SetChecked(app::kIdProbeEv48400c, false);
    model_.Save();
    EXPECT_EQ(ReadFileBytes(session::Current().settingsPath),
              "[Probe]\r\nFJ=true\r\nEV48-400-C=false\r\nTercel=true\r\n");
    EXPECT_FALSE(session::Current().settings.probeEv48400c);
    const std::wstring expected =
        L"Saved Settings to " + text::Utf8ToWide(text::PathToUtf8(session::Current().settingsPath));
    EXPECT_EQ(GetStatus(), expected);
    EXPECT_THAT(log_.Messages(), ElementsAre(text::WideToUtf8(expected)));
}

TEST_F(SettingsModel, UntickingLogRemovesItsKeyAndItsBox) {
    StartWith("[Probe]\nFJ=true\nEV48-400-C=true\nTercel=false\nLog=true\n");
    model_.Open();
    model_.SetChecked(app::kIdLog, false);
    model_.Save();
    EXPECT_EQ(ReadFileBytes(session::Current().settingsPath),
              "[Probe]\nFJ=true\nEV48-400-C=true\nTercel=false\n");
    EXPECT_FALSE(session::Current().settings.log);
    model_.Open();
    EXPECT_FALSE(model_.IsShown(app::kIdLog));
}

TEST_F(SettingsModel, CancelRestoresTheBoxesAndWritesNothing) {
    session::Current().settings.probeTercel = false;
    model_.Open();
    model_.SetChecked(app::kIdProbeFj, false);
    model_.SetChecked(app::kIdProbeTercel, true);
    model_.ResetChecks();
    EXPECT_TRUE(model_.IsChecked(app::kIdProbeFj));
    EXPECT_FALSE(model_.IsChecked(app::kIdProbeTercel));
    EXPECT_FALSE(std::filesystem::exists(session::Current().settingsPath));
    EXPECT_TRUE(log_.Messages().empty());
}

TEST_F(SettingsModel, SaveBeforeThePageOpensTurnsNothingOff) {
    model_.Save();
    EXPECT_TRUE(session::Current().settings.probeFj);
    EXPECT_FALSE(std::filesystem::exists(session::Current().settingsPath));
}

}  // namespace
