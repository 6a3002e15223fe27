#include "session/settings.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace {

using session::Settings;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

struct WordCase {
    const char* value;
    bool isTrue;
};

const WordCase kWords[] = {
    {"TRUE", true}, {"Yes", true},         {"1", true},   {"true", true},   {"yES", true},
    {"on", false},  {"2", false},          {"", false},   {"false", false}, {"no", false},
    {"0", false},   {"yes please", false}, {"01", false},
};

TEST(Settings, ReadsEachWordFromTheFile) {
    TempDir dir;
    const auto file = dir / "Vantrel-Settings.ini";
    for (const auto& c : kWords) {
        SCOPED_TRACE(c.value);
        WriteFileBytes(file, std::string("[Probe]\r\nFJ=") + c.value + "\r\nRXTX=" + c.value + "\r\n");
        Settings settings;
        ASSERT_TRUE(session::ReadSettingsFile(file, settings));
        EXPECT_EQ(settings.probeFj, c.isTrue);
        EXPECT_EQ(settings.rxtx, c.isTrue);
    }
}

TEST(Settings, NoFileLeavesEveryFlagAsItWas) {
    TempDir dir;
    Settings changed{false, false, false, true, true};
    EXPECT_FALSE(session::ReadSettingsFile(dir / "Vantrel-Settings.ini", changed));
    EXPECT_FALSE(changed.probeFj);
    EXPECT_TRUE(changed.log);
}

TEST(Settings, MissingKeysTakeTheirDefaults) {
    TempDir dir;
    const auto file = dir / "Vantrel-Settings.ini";
    // Another section's keys do not count.
    WriteFileBytes(file, "[Other]\nFJ=false\nRXTX=true\n[probe]\nlog=yes\n");
    Settings settings{false, false, false, true, false};
    ASSERT_TRUE(session::ReadSettingsFile(file, settings));
    EXPECT_TRUE(settings.probeFj);
    EXPECT_TRUE(settings.probeEv48400c);
    EXPECT_TRUE(settings.probeTercel);
    EXPECT_FALSE(settings.rxtx);
    EXPECT_TRUE(settings.log);
}

TEST(Settings, WritesProbeKeysAndOnlyTheOptionalKeysThatAreOn) {
    TempDir dir;
    const auto file = dir / "Vantrel-Settings.ini";
    session::WriteSettingsFile(file, Settings{false, true, true, false, false});
    EXPECT_EQ(ReadFileBytes(file), "[Probe]\r\nFJ=false\r\nEV48-400-C=true\r\nTercel=true\r\n");

    session::WriteSettingsFile(file, Settings{true, false, true, true, true});
    EXPECT_EQ(ReadFileBytes(file),
              "[Probe]\r\nFJ=true\r\nEV48-400-C=false\r\nTercel=true\r\nRXTX=true\r\nLog=true\r\n");
}

TEST(Settings, SwitchingOptionalKeysOffRemovesThemAndKeepsTheRest) {
    TempDir dir;
    const auto file = dir / "Vantrel-Settings.ini";
    WriteFileBytes(file, "; kept\n[Probe]\nFJ=yes\nRXTX=1\nLog=TRUE\n[Other]\nA=b\n");
    session::WriteSettingsFile(file, Settings{});
    EXPECT_EQ(ReadFileBytes(file), "; kept\n[Probe]\nFJ=true\nEV48-400-C=true\nTercel=true\n[Other]\nA=b\n");
}

}  // namespace
