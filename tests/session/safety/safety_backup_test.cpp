// The safety backups beside the program: their names, and pruning, which removes only the family's own
// automatic backups, the oldest first by the time and copy number in their names.
#include "session/safety_backup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "session/read_values.h"
#include "tests/support/temp_dir.h"

namespace {

const host::LocalTime kWhen{2025, 7, 8, 14, 5, 9, 0};

TEST(SafetyBackups, ASecondWriteInTheSameSecondKeepsTheFirstFile) {
    testsupport::TempDir dir;
    session::LastRead().KeepBackupPart("\n[Data]\n");
    const auto first = session::SaveSafetyBackup(Family::FJ, dir.Path(), kWhen);
    const auto second = session::SaveSafetyBackup(Family::FJ, dir.Path(), kWhen);
    EXPECT_EQ(first.file, dir / "FJ" / "backups" / "Vantrel-FJ-AutoBackup-20250708_140509.vtdata");
    EXPECT_EQ(second.file.filename(), "Vantrel-FJ-AutoBackup-20250708_140509-2.vtdata");
    // After a write the controller did not confirm whole, what it holds is not known.
    session::LastRead().DropBackupPart("the controller did not confirm every value of the last write");
    EXPECT_THAT(session::SaveSafetyBackup(Family::FJ, dir.Path(), kWhen).problem,
                testing::HasSubstr("did not confirm every value of the last write"));
    session::LastRead().Clear();
}

TEST(SafetyBackups, PruningKeepsTheNewestTwentyAndTouchesNothingElse) {
    testsupport::TempDir dir;
    const auto name = [](int day, unsigned copy) {
        return session::SafetyBackupName("FJ", host::LocalTime{2025, 7, day, 14, 5, 9, 0}, copy);
    };
    // 23 of the family's: the oldest second has four copies, whose names sort otherwise as text.
    std::set<std::string> expected = {name(1, 10)};
    for (const unsigned copy : {1u, 2u, 9u, 10u}) testsupport::WriteFileBytes(dir / name(1, copy), "");
    for (int day = 2; day <= 20; ++day) {
        testsupport::WriteFileBytes(dir / name(day, 1), "");
        expected.insert(name(day, 1));
    }
    // The technician's backup, another family's, names this program never gives, the temporary of an
    // unfinished write, and a folder.
    for (const std::string& other : std::vector<std::string>{
             "Vantrel-FJ-Backup-20250701_140509.vtdata", "Vantrel-Tercel-AutoBackup-20250701_140509.vtdata",
             "Vantrel-FJ-AutoBackup-20250701_140509-1.vtdata",
             "Vantrel-FJ-AutoBackup-20250701_140509-02.vtdata", "Vantrel-FJ-AutoBackup-20250701_14050.vtdata",
             name(1, 1) + ".vantrel-tmp"}) {
        testsupport::WriteFileBytes(dir / other, "");
        expected.insert(other);
    }
    std::filesystem::create_directory(dir / name(0, 1));
    expected.insert(name(0, 1));

    session::PruneSafetyBackups(dir.Path(), "FJ");

    std::set<std::string> left;
    for (const auto& item : std::filesystem::directory_iterator(dir.Path()))
        left.insert(item.path().filename());
    EXPECT_EQ(left, expected);
    EXPECT_EQ(expected.size() - 7, session::kKeptSafetyBackups);
}

}  // namespace
