#include "core/atomic_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/ini_file.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

// Lifts the simulated full disk at the end of each case, whatever it asserted.
class AtomicFile : public testing::Test {
protected:
    void TearDown() override { atomicdetail::SetWriteLimit(std::nullopt); }
    testsupport::TempDir dir_;
};

// A temporary left by a killed run is not this program's to remove: the next free name is taken.
TEST_F(AtomicFile, ReplacesOrCreatesTheWholeFile) {
    const auto target = dir_ / "settings.ini";
    const std::pair<const char*, std::string> cases[] = {{nullptr, "[Vantrel]\nPort=COM3\n"},
                                                         {"a=1\n", std::string(10000, 'x')},
                                                         {"a=1\nb=2\nc=3\n", "a=1\n"},
                                                         {"a=1\n", ""}};
    for (const auto& [before, after] : cases) {
        SCOPED_TRACE(after.size());
        fs::remove(target);
        if (before) WriteFileBytes(target, before);
        WriteFileBytes(AtomicTemporaryPath(target), "half of an old wri");
        EXPECT_TRUE(WriteFileAtomically(target, after));
        EXPECT_EQ(ReadFileBytes(target), after);
        EXPECT_EQ(ReadFileBytes(AtomicTemporaryPath(target)), "half of an old wri");
        EXPECT_FALSE(fs::exists(AtomicTemporaryPath(target, 1)));
    }
}

// A disk that fills up part-way through: the old file stays whole and no temporary is left behind; a
// settings write keeps every setting.
TEST_F(AtomicFile, WriteFailingHalfWayKeepsTheOldFile) {
    const auto target = dir_ / "backup.vtdata";
    const std::string old = "[Vantrel]\nPort=COM3\nBaud=19200\n", replacement(20000, 'n');
    WriteFileBytes(target, old);
    for (const size_t limit : {size_t{0}, size_t{4096}, replacement.size() - 1}) {
        SCOPED_TRACE(limit);
        atomicdetail::SetWriteLimit(limit);
        std::string reason;
        EXPECT_FALSE(WriteFileAtomically(target, replacement, &reason));
        EXPECT_THAT(reason, HasSubstr("Cannot write: "));
        EXPECT_EQ(ReadFileBytes(target), old);
        EXPECT_FALSE(fs::exists(AtomicTemporaryPath(target)));
    }
    atomicdetail::SetWriteLimit(old.size() / 2);
    EXPECT_FALSE(WriteIniString(target, "Vantrel", "Port", "COM12"));
    EXPECT_FALSE(DeleteIniKey(target, "Vantrel", "Baud"));
    EXPECT_EQ(ReadFileBytes(target), old);
}

// Nothing is left behind when the folder is missing, or when a folder stands where the file should be
// and the rename cannot replace it.
TEST_F(AtomicFile, RefusesWhatItCannotWriteOrReplace) {
    fs::create_directories(dir_ / "taken" / "inside");
    const std::pair<fs::path, const char*> cases[] = {{dir_ / "missing" / "backup.vtdata", "Cannot write: "},
                                                      {dir_ / "taken", "Cannot replace "}};
    for (const auto& [target, why] : cases) {
        SCOPED_TRACE(target);
        std::string reason;
        EXPECT_FALSE(WriteFileAtomically(target, "x", &reason));
        EXPECT_THAT(reason, HasSubstr(why));
        EXPECT_FALSE(fs::exists(AtomicTemporaryPath(target)));
    }
    EXPECT_FALSE(fs::exists(dir_ / "missing"));
    EXPECT_TRUE(fs::is_directory(dir_ / "taken" / "inside"));
}

}  // namespace
