// A backup saved over an older one on a disk that fills up part-way: the older backup stays whole.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/atomic_file.h"
#include "core/host.h"
#include "datafiles/data_file.h"
#include "fj/parameter_table.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/families.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_dir.h"

namespace {

using testing::HasSubstr;

class BackupWrite : public testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetFamilies();
        FJ::BuildEntryLists();
        context_.part = &datafiles::kFjDataFile;
        context_.executableDirectory = dir_.Path();
        prompter_.saveFile = dir_ / "backup.vtdata";
    }
    void TearDown() override {
        atomicdetail::SetWriteLimit(std::nullopt);
        testsupport::ResetFamilies();
    }

    testsupport::TempDir dir_;
    testsupport::FakePrompter prompter_;
    datafiles::DataFileContext context_;
};

TEST_F(BackupWrite, DiskFullHalfWayKeepsTheOlderBackup) {
    const host::LocalTime when{2025, 7, 8, 14, 5, 9, 0};
    ASSERT_TRUE(datafiles::SaveBackup(context_, when));
    const std::string older = testsupport::ReadFileBytes(*prompter_.saveFile);
    ASSERT_GT(older.size(), 100u);

    context_.customerName = "Workshop";  // a backup that differs from the older one
    atomicdetail::SetWriteLimit(older.size() / 2);
    testsupport::LogCapture log;
    EXPECT_FALSE(datafiles::SaveBackup(context_, when));
    EXPECT_EQ(testsupport::ReadFileBytes(*prompter_.saveFile), older);
    EXPECT_FALSE(std::filesystem::exists(AtomicTemporaryPath(*prompter_.saveFile)));
    EXPECT_TRUE(log.Contains("Cannot write: " + AtomicTemporaryPath(*prompter_.saveFile).string()));
    EXPECT_THAT(prompter_.messages.back(), HasSubstr(L"Could not write"));

    atomicdetail::SetWriteLimit(std::nullopt);
    EXPECT_TRUE(datafiles::SaveBackup(context_, when));
    EXPECT_NE(testsupport::ReadFileBytes(*prompter_.saveFile), older);
}

}  // namespace
