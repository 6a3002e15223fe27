#include "core/atomic_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/ini_file.h"
#include "tests/support/temp_dir.h"

namespace {

using testing::HasSubstr;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

// Lifts the simulated full disk at the end of each case, whatever it asserted.
class AtomicFile : public testing::Test {
protected:
    void TearDown() override { atomicdetail::SetWriteLimit(std::nullopt); }
    testsupport::TempDir dir_;
};

TEST_F(AtomicFile, ReplacesOrCreatesTheWholeFile) {
    struct Case {
        const char* what;
        const char* before;  // nullptr: no file yet
        std::string after;
    };
    const Case cases[] = {
        {"new file", nullptr, "[Vantrel]\nPort=COM3\n"},
        {"longer than before", "a=1\n", std::string(10000, 'x')},
        {"shorter than before", "a=1\nb=2\nc=3\n", "a=1\n"},
        {"emptied", "a=1\n", ""},
        {"a temporary left by a killed run", "a=1\n", "a=2\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto target = dir_ / "settings.ini";
        std::filesystem::remove(target);
        if (c.before) WriteFileBytes(target, c.before);
        WriteFileBytes(AtomicTemporaryPath(target), "half of an old wri");
        EXPECT_TRUE(WriteFileAtomically(target, c.after));
        EXPECT_EQ(ReadFileBytes(target), c.after);
        // Not this program's to remove, and nothing else left behind.
        EXPECT_EQ(ReadFileBytes(AtomicTemporaryPath(target)), "half of an old wri");
        EXPECT_FALSE(std::filesystem::exists(AtomicTemporaryPath(target, 1)));
        std::filesystem::remove(AtomicTemporaryPath(target));
    }
}

// A disk that fills up part-way through: the old file stays whole and no temporary is left behind.
TEST_F(AtomicFile, WriteFailingHalfWayKeepsTheOldFile) {
    const std::string old = "[Vantrel]\nPort=COM3\nBaud=19200\n";
    const std::string replacement(20000, 'n');
    for (const size_t limit : {size_t{0}, size_t{4096}, replacement.size() - 1}) {
        SCOPED_TRACE(limit);
        const auto target = dir_ / "backup.vtdata";
        WriteFileBytes(target, old);
        atomicdetail::SetWriteLimit(limit);
        std::string reason;
        EXPECT_FALSE(WriteFileAtomically(target, replacement, &reason));
        EXPECT_THAT(reason, HasSubstr("Cannot write: "));
        EXPECT_EQ(ReadFileBytes(target), old);
        EXPECT_FALSE(std::filesystem::exists(AtomicTemporaryPath(target)));
    }
    atomicdetail::SetWriteLimit(replacement.size());  // exactly enough room
    EXPECT_TRUE(WriteFileAtomically(dir_ / "backup.vtdata", replacement));
}

TEST_F(AtomicFile, SettingsWriteFailingHalfWayKeepsEverySetting) {
    const auto file = dir_ / "Vantrel.ini";
    ASSERT_TRUE(WriteIniString(file, "Vantrel", "Port", "COM3"));
    ASSERT_TRUE(WriteIniString(file, "Vantrel", "Customer", "Workshop"));
    const std::string before = ReadFileBytes(file);
    atomicdetail::SetWriteLimit(before.size() / 2);
    EXPECT_FALSE(WriteIniString(file, "Vantrel", "Port", "COM12"));
    EXPECT_FALSE(DeleteIniKey(file, "Vantrel", "Customer"));
    EXPECT_EQ(ReadFileBytes(file), before);
    EXPECT_EQ(ReadIniString(file, "Vantrel", "Customer", "", 256), "Workshop");
}

// Nothing is left behind when the folder is missing, or when a folder stands where the file should be
// and the rename cannot replace it.
TEST_F(AtomicFile, RefusesWhatItCannotWriteOrReplace) {
    std::filesystem::create_directories(dir_ / "taken" / "inside");
    const struct {
        std::filesystem::path target;
        const char* reason;
    } cases[] = {{dir_ / "missing" / "backup.vtdata", "Cannot write: "}, {dir_ / "taken", "Cannot replace "}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        std::string reason;
        EXPECT_FALSE(WriteFileAtomically(c.target, "x", &reason));
        EXPECT_THAT(reason, HasSubstr(c.reason));
        EXPECT_FALSE(std::filesystem::exists(AtomicTemporaryPath(c.target)));
    }
    EXPECT_FALSE(std::filesystem::exists(dir_ / "missing"));
    EXPECT_TRUE(std::filesystem::is_directory(dir_ / "taken" / "inside"));
}

}  // namespace
