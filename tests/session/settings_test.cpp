// The settings file: which words turn a flag on, which keys are written, and what is kept of the rest.
#include "session/settings.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace {

using session::Settings;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

TEST(Settings, ReadsEachWordFromTheFile) {
    const std::pair<const char*, bool> words[] = {
        {"TRUE", true}, {"Yes", true}, {"1", true},      {"yES", true}, {"on", false},         {"2", false},
        {"", false},    {"no", false}, {"false", false}, {"0", false},  {"yes please", false}, {"01", false},
    };
    const TempDir dir;
    for (const auto& [word, isTrue] : words) {
        SCOPED_TRACE(word);
        WriteFileBytes(dir / "settings.ini",
                       std::string("[Probe]\r\nFJ=") + word + "\r\nRXTX=" + word + "\r\n");
        Settings settings;
        ASSERT_TRUE(session::ReadSettingsFile(dir / "settings.ini", settings));
        EXPECT_EQ(settings.probeFj, isTrue);
        EXPECT_EQ(settings.rxtx, isTrue);
    }
}

TEST(Settings, NoFileLeavesEveryFlagAndMissingKeysTakeTheirDefaults) {
    TempDir dir;
    const auto file = dir / "Vantrel-Settings.ini";
    Settings changed{false, false, false, true, true};
    EXPECT_FALSE(session::ReadSettingsFile(file, changed));
    EXPECT_FALSE(changed.probeFj);
    EXPECT_TRUE(changed.log);

    // Another section's keys do not count.
    WriteFileBytes(file, "[Other]\nFJ=false\nRXTX=true\n[probe]\nlog=yes\n");
    Settings settings{false, false, false, true, false};
    ASSERT_TRUE(session::ReadSettingsFile(file, settings));
    EXPECT_TRUE(settings.probeFj && settings.probeEv48400c && settings.probeTercel);
    EXPECT_FALSE(settings.rxtx);
    EXPECT_TRUE(settings.log);
}

TEST(Settings, WritesProbeKeysAndOnlyTheOptionalKeysThatAreOnKeepingTheRest) {
    TempDir dir;
    const auto file = dir / "Vantrel-Settings.ini";
    session::WriteSettingsFile(file, Settings{true, false, true, true, true});
    EXPECT_EQ(ReadFileBytes(file),
              "[Probe]\r\nFJ=true\r\nEV48-400-C=false\r\nTercel=true\r\nRXTX=true\r\nLog=true\r\n");

    WriteFileBytes(file, "; kept\n[Probe]\nFJ=yes\nRXTX=1\nLog=TRUE\n[Other]\nA=b\n");
    session::WriteSettingsFile(file, Settings{});
    EXPECT_EQ(ReadFileBytes(file), "; kept\n[Probe]\nFJ=true\nEV48-400-C=true\nTercel=true\n[Other]\nA=b\n");
}

}  // namespace
