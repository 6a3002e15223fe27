// A backup saved over an older one on a disk that fills up part-way: the older backup stays whole.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/atomic_file.h"
#include "datafiles/data_file.h"
#include "fj/parameter_table.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/families.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(BackupWrite, DiskFullHalfWayKeepsTheOlderBackup) {
    testsupport::ResetFamilies();
    FJ::BuildEntryLists();
    testsupport::TempDir dir;
    testsupport::FakePrompter prompter;
    const auto file = dir / "backup.vtdata";
    prompter.saveFile = file;
    datafiles::DataFileContext context;
    context.part = &datafiles::kFjDataFile;
    context.executableDirectory = dir.Path();
    const host::LocalTime when{2025, 7, 8, 14, 5, 9, 0};
    ASSERT_TRUE(datafiles::SaveBackup(context, when));
    const std::string older = testsupport::ReadFileBytes(file);
    ASSERT_GT(older.size(), 100u);

    context.customerName = "Workshop";  // a backup that differs from the older one
    atomicdetail::SetWriteLimit(older.size() / 2);
    testsupport::LogCapture log;
    EXPECT_FALSE(datafiles::SaveBackup(context, when));
    atomicdetail::SetWriteLimit(std::nullopt);
    EXPECT_EQ(testsupport::ReadFileBytes(file), older);
    EXPECT_FALSE(std::filesystem::exists(AtomicTemporaryPath(file)));
    EXPECT_TRUE(log.Contains("Cannot write: " + AtomicTemporaryPath(file).string()));
    EXPECT_THAT(prompter.messages.back(), testing::HasSubstr(L"Could not write"));

    EXPECT_TRUE(datafiles::SaveBackup(context, when));
    EXPECT_NE(testsupport::ReadFileBytes(file), older);
    testsupport::ResetFamilies();
}

}  // namespace
