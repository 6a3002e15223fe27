#include "core/log.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/temp_dir.h"

namespace {

class LogTest : public testing::Test {
protected:
    void SetUp() override {
        logdetail::Reset();
        logdetail::SetDirectoryOverride(dir_.Path());
        logdetail::SetClock([] { return host::LocalTime{2025, 7, 8, 9, 3, 4, 17}; });
    }
    void TearDown() override {
        logdetail::Reset();
        logdetail::SetDirectoryOverride({});
        logdetail::SetClock(nullptr);
    }
    testsupport::TempDir dir_;
};

// The log of an earlier run goes; lines follow in whole batches of a thousand, UTF-8 text unchanged.
TEST_F(LogTest, WritesWholeBatchesOfAThousandLines) {
    testsupport::WriteFileBytes(dir_ / "Vantrel.log", "old run\n");
    StartLog(kLogFileName);
    Log(std::string("Temperatur \u00B0C \u2192 85"));
    Log(std::wstring(L"wide \u00B0C"));
    for (int i = 2; i < 2500; ++i) Log("line " + std::to_string(i));
    const std::string stamp = "[2025-07-08 09:03:04:017] ";
    std::string file = testsupport::ReadFileBytes(dir_ / "Vantrel.log");
    const std::string head = "--------------\n" + stamp + "Temperatur \xC2\xB0" + "C \xE2\x86\x92 85\n" +
                             stamp + "wide \xC2\xB0" + "C\n" + stamp + "line 2\n";
    EXPECT_EQ(file.substr(0, head.size()), head);
    EXPECT_TRUE(file.ends_with(stamp + "line 1999\n"));
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 2001);
    FlushLog(kLogFileName);
    file = testsupport::ReadFileBytes(dir_ / "Vantrel.log");
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 2501);
}

}  // namespace
