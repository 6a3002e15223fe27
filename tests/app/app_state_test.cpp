// The end of the program: the run's log lines reach the log file only with the Log setting on.
#include "app/app_state.h"

#include <gtest/gtest.h>

#include "core/log.h"
#include "session/session.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(AppState, TheRunIsAppendedAtExitOnlyWithLogOn) {
    const struct {
        bool log;
        const char* file;
    } cases[] = {
        {false, "--------------\n"},
        {true,
         "--------------\n"
         "[2025-07-08 09:03:04:017] EULA Presented\n"
         "[2025-07-08 09:03:04:017] User Agreed to EULA\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.log);
        testsupport::TempDir dir;
        session::Current() = session::Session{};
        session::Current().settings.log = c.log;
        logdetail::Reset();
        logdetail::SetDirectoryOverride(dir.Path());
        logdetail::SetClock([] { return host::LocalTime{2025, 7, 8, 9, 3, 4, 17}; });

        StartLog(kLogFileName);
        Log(L"EULA Presented");
        SetStatus(L"User Agreed to EULA");
        app::EndSession();

        EXPECT_EQ(testsupport::ReadFileBytes(dir / "Vantrel.log"), c.file);
        logdetail::SetClock(nullptr);
        logdetail::SetDirectoryOverride({});
        logdetail::Reset();
        session::Current() = session::Session{};
    }
}

}  // namespace
