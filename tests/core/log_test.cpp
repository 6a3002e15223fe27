#include "core/log.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "tests/support/temp_dir.h"

namespace {

const host::LocalTime kMoment{2025, 7, 8, 9, 3, 4, 17};

class LogTest : public testing::Test {
protected:
    void SetUp() override {
        logdetail::Reset();
        logdetail::SetDirectoryOverride(dir_.Path());
        logdetail::SetClock([] { return kMoment; });
    }
    void TearDown() override {
        logdetail::Reset();
        logdetail::SetDirectoryOverride({});
        logdetail::SetClock(nullptr);
    }
    std::vector<std::string> FileLines() const {
        std::istringstream in(testsupport::ReadFileBytes(dir_ / "Vantrel.log"));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    testsupport::TempDir dir_;
};

// The log of an earlier run goes; lines follow in whole batches of a thousand.
TEST_F(LogTest, WritesWholeBatchesOfAThousandLines) {
    testsupport::WriteFileBytes(dir_ / "Vantrel.log", "old run\n");
    StartLog(kLogFileName);
    for (int i = 0; i < 2500; ++i) Log("line " + std::to_string(i));
    const auto lines = FileLines();
    ASSERT_EQ(lines.size(), 2001u);
    EXPECT_EQ(lines.front(), "--------------");
    EXPECT_EQ(lines[1], "[2025-07-08 09:03:04:017] line 0");
    EXPECT_EQ(lines.back(), "[2025-07-08 09:03:04:017] line 1999");
    EXPECT_EQ(logdetail::BufferedLineCount(), 500u);

    FlushLog(kLogFileName);
    EXPECT_EQ(FileLines().size(), 2501u);
    EXPECT_EQ(logdetail::BufferedLineCount(), 0u);
}

TEST_F(LogTest, KeepsUtf8TextAsTheSameCharacters) {
    StartLog(kLogFileName);
    Log(
        std::string("Temperatur \xC2\xB0"
                    "C \xE2\x86\x92 85"));
    Log(std::wstring(L"wide \u00B0C"));
    FlushLog(kLogFileName);
    const auto lines = FileLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1],
              "[2025-07-08 09:03:04:017] Temperatur \xC2\xB0"
              "C \xE2\x86\x92 85");
    EXPECT_EQ(lines[2],
              "[2025-07-08 09:03:04:017] wide \xC2\xB0"
              "C");
}

TEST_F(LogTest, FailedAppendDropsTheBatch) {
    logdetail::SetDirectoryOverride(dir_ / "missing-folder");
    Log("lost");
    FlushLog(kLogFileName);
    EXPECT_EQ(logdetail::BufferedLineCount(), 0u);
}

}  // namespace
