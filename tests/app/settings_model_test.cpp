// The settings page's model: RX/TX and Log are offered only while on, so that they can be turned off,
// and only Save writes what the boxes say. With Log on, the run's lines reach the log file at exit.
#include "app/cards/settings_model.h"

#include <gtest/gtest.h>

#include "app/app_ids.h"
#include "app/app_state.h"
#include "core/log.h"
#include "session/session.h"
#include "tests/support/temp_dir.h"

namespace {

using testsupport::ReadFileBytes;

class SettingsModel : public testing::Test {
protected:
    SettingsModel() {
        session::Current() = session::Session{};
        session::Current().settingsPath = dir_ / "Vantrel-Settings.ini";
    }
    ~SettingsModel() override {
        session::Current() = session::Session{};
        logdetail::SetClock(nullptr);
        logdetail::SetDirectoryOverride({});
        logdetail::Reset();
    }

    testsupport::TempDir dir_;
    app::SettingsModel model_;
};

TEST_F(SettingsModel, SaveWritesTheBoxesAndAnUntickedOptionGoes) {
    testsupport::WriteFileBytes(session::Current().settingsPath, "[Probe]\nFJ=false\nLog=yes\n");
    session::ReloadSettings();
    model_.Open();
    for (int id : {app::kIdProbeFj, app::kIdProbeEv48400c, app::kIdProbeTercel, app::kIdLog})
        EXPECT_EQ(model_.IsChecked(id), id != app::kIdProbeFj) << id;
    EXPECT_FALSE(model_.IsShown(app::kIdRxTx));

    model_.SetChecked(app::kIdProbeEv48400c, false);
    model_.SetChecked(app::kIdLog, false);
    model_.Save();
    EXPECT_EQ(ReadFileBytes(session::Current().settingsPath),
              "[Probe]\nFJ=false\nEV48-400-C=false\nTercel=true\n");
    EXPECT_FALSE(session::Current().settings.probeEv48400c || session::Current().settings.log);
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

TEST_F(SettingsModel, TheRunIsAppendedAtExitOnlyWithLogOn) {
    logdetail::SetClock([] { return host::LocalTime{2025, 7, 8, 9, 3, 4, 17}; });
    for (const bool log : {false, true}) {
        SCOPED_TRACE(log);
        testsupport::TempDir logDir;
        session::Current().settings.log = log;
        logdetail::Reset();
        logdetail::SetDirectoryOverride(logDir.Path());
        StartLog(kLogFileName);
        Log(L"EULA Presented");
        SetStatus(L"User Agreed to EULA");
        app::EndSession();
        EXPECT_EQ(ReadFileBytes(logDir / "Vantrel.log"),
                  "--------------\n" + std::string(log ? "[2025-07-08 09:03:04:017] EULA Presented\n"
                                                         "[2025-07-08 09:03:04:017] User Agreed to EULA\n"
                                                       : ""));
    }
}

}  // namespace
