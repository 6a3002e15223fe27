#include "app/app_state.h"

#include <gtest/gtest.h>

#include "core/log.h"
#include "session/session.h"
#include "tests/support/temp_dir.h"

namespace {

using testsupport::ReadFileBytes;

class AppState : public testing::Test {
protected:
    AppState() {
        session::Current() = session::Session{};
        logdetail::Reset();
        logdetail::SetDirectoryOverride(dir_.Path());
        logdetail::SetClock([] { return host::LocalTime{2025, 7, 8, 9, 3, 4, 17}; });
    }
    ~AppState() override {
        logdetail::SetClock(nullptr);
        logdetail::SetDirectoryOverride({});
        logdetail::Reset();
        session::Current() = session::Session{};
    }

    // A short run: the log started, a few lines, the program ended.
    std::string Run() {
        StartLog(kLogFileName);
        Log(L"EULA Presented");
        SetStatus(L"User Agreed to EULA");
        app::EndSession();
        return ReadFileBytes(dir_ / "Vantrel.log");
    }

    testsupport::TempDir dir_;
};

TEST_F(AppState, WithLogOffAShortRunLeavesOnlyTheSeparator) {
    EXPECT_EQ(Run(), "--------------\n");
}

TEST_F(AppState, WithLogOnTheRunIsAppendedAtExit) {
    session::Current().settings.log = true;
    EXPECT_EQ(Run(),
              "--------------\n"
              "[2025-07-08 09:03:04:017] EULA Presented\n"
              "[2025-07-08 09:03:04:017] User Agreed to EULA\n");
}

}  // namespace
