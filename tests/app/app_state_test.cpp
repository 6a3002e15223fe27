// The end of the program: the run's log lines reach the log file only with the Log setting on.
#include "app/app_state.h"

#include <gtest/gtest.h>

#include "core/log.h"
#include "session/session.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(AppState, TheRunIsAppendedAtExitOnlyWithLogOn) {
    for (const bool log : {false, true}) {
        SCOPED_TRACE(log);
        testsupport::TempDir dir;
        session::Current() = session::Session{};
        session::Current().settings.log = log;
        logdetail::Reset();
        logdetail::SetDirectoryOverride(dir.Path());
        logdetail::SetClock([] { return host::LocalTime{2025, 7, 8, 9, 3, 4, 17}; });

        StartLog(kLogFileName);
        Log(L"EULA Presented");
        SetStatus(L"User Agreed to EULA");
        app::EndSession();

        EXPECT_EQ(testsupport::ReadFileBytes(dir / "Vantrel.log"),
                  "--------------\n" + std::string(log ? "[2025-07-08 09:03:04:017] EULA Presented\n"
                                                         "[2025-07-08 09:03:04:017] User Agreed to EULA\n"
                                                       : ""));
        logdetail::SetClock(nullptr);
        logdetail::SetDirectoryOverride({});
        logdetail::Reset();
        session::Current() = session::Session{};
    }
}

}  // namespace
