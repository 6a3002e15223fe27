#include "tercel/command_codec.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/param_registry.h"
#include "tercel/family_state.h"
#include "tercel/get_info.h"
#include "tests/support/families.h"
#include "tests/support/log_capture.h"
#include "tests/tercel/test_support.h"

namespace {

using terceltest::Frame;
using testing::ElementsAre;

class TercelCodec : public testing::Test {
protected:
    void SetUp() override { testsupport::ResetFamilies(); }
    void TearDown() override { testsupport::ResetFamilies(); }
    testsupport::LogCapture log_;
};

TEST_F(TercelCodec, ChecksumsOfWorkedExamples) {
    EXPECT_EQ(Tercel::ComputeChecksum({0x2B, 0xC0, 0x00}), 0x40);
    EXPECT_EQ(Tercel::ComputeChecksum({0x2B, 0x04, 0x05, 0x02, 0xFF, 0x00, 0x00, 0x00, 0x00}), 0xF6);
    EXPECT_EQ(Tercel::ComputeChecksum({0x2B, 0xC0}), 0);  // too short to carry one
}

TEST_F(TercelCodec, BuildsTheThreeCommands) {
    EXPECT_EQ(Tercel::IdentityRequest(), (Frame{0x2B, 0xC0, 0x40}));
    EXPECT_EQ(Tercel::BuildReadFrame(255), (Frame{0x2B, 0x04, 0x05, 0x02, 0xFF, 0x00, 0x00, 0x00, 0xF6}));
    EXPECT_EQ(Tercel::BuildWriteFrame(2878, 300),
              (Frame{0x2B, 0x05, 0x07, 0x02, 0x3E, 0x0B, 0x00, 0x00, 0x2C, 0x01, 0x7C}));
    // 0x0A3E = 2622, 0xFFFF: the high bytes of address and value go where they belong.
    EXPECT_EQ(Tercel::BuildWriteFrame(0x0A3E, 0xFFFF),
              (Frame{0x2B, 0x05, 0x07, 0x02, 0x3E, 0x0A, 0x00, 0x00, 0xFF, 0xFF, 0xAC}));
}

TEST_F(TercelCodec, RefusesResponsesWithTheirLogLines) {
    struct Case {
        const char* what;
        Frame response;
        const char* line;
    };
    const Case cases[] = {
        {"four bytes", {0x2B, 0x00, 0x01, 0x02}, "Error: Invalid Size = 4"},
        {"wrong SOM", {0x2A, 0x00, 0x01, 0x02, 0x00}, "Error: Invalid SOM = 2A"},
        {"refused", {0x2B, 0x80, 0x01, 0x02, 0x00}, "Error: status = 80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        log_.Clear();
        EXPECT_FALSE(Tercel::ValidateResponse(c.response));
        EXPECT_THAT(log_.Messages(), ElementsAre(c.line));
    }
    log_.Clear();
    EXPECT_TRUE(Tercel::ValidateResponse({0x2B, 0x7F, 0x01, 0x02, 0x00}));
    EXPECT_TRUE(log_.Messages().empty());
}

TEST_F(TercelCodec, ReplayedWriteSetsTheRegisterAndMarksItDirtyOnce) {
    const Frame write = {0x2B, 0x05, 0x07, 0x02, 0x3E, 0x0B, 0x00, 0x00, 0x2C, 0x01, 0x7C};
    EXPECT_TRUE(Tercel::HandleFrame(write));
    EXPECT_EQ(Tercel::Registers()[2878], 300);
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"2878"}));
    EXPECT_THAT(log_.Messages(), ElementsAre("MCB_CMD_WRITEMEMEX B3E = 300", "B3E is dirty"));

    DirtyKeys().clear();
    log_.Clear();
    EXPECT_TRUE(Tercel::HandleFrame(write));  // the value the map already holds
    EXPECT_TRUE(DirtyKeys().empty());
    EXPECT_TRUE(log_.Messages().empty());
}

TEST_F(TercelCodec, RefusesFramesItCannotReadWithoutTouchingAnything) {
    const Frame cases[] = {
        {},
        {0x2B},
        {0x2B, 0x05, 0x07, 0x02, 0x3E, 0x0B, 0x00, 0x00, 0x2C},  // a write cut before its value
        {0x2B, 0x04, 0x05, 0x02, 0xFF, 0x00, 0x00, 0x00, 0xF6},  // a read command is not replayed
    };
    for (const auto& frame : cases) {
        SCOPED_TRACE(frame.size());
        log_.Clear();
        EXPECT_FALSE(Tercel::HandleFrame(frame));
        EXPECT_THAT(log_.Messages(), ElementsAre("Tercel: Unsupported or unknown CMD"));
    }
    EXPECT_TRUE(Tercel::Registers().empty());
    EXPECT_TRUE(DirtyKeys().empty());
}

TEST_F(TercelCodec, AnyThirtyNineBytesAreAnIdentity) {
    Frame frame = terceltest::IdentityFrame("UNIT A");
    frame[1] = 0x05;  // whatever sits in the command position
    EXPECT_TRUE(Tercel::HandleFrame(frame));
    ASSERT_TRUE(Tercel::Objects().identity);
    EXPECT_EQ(Tercel::Objects().identity->Description(), "UNIT A");
    EXPECT_TRUE(DirtyKeys().empty());
}

TEST_F(TercelCodec, ARefusedIdentityKeepsTheOldOneAndItsEntries) {
    ASSERT_TRUE(Tercel::HandleFrame(terceltest::IdentityFrame("UNIT A")));
    const Tercel::GetInfo* identity = Tercel::Objects().identity.get();

    log_.Clear();
    EXPECT_FALSE(Tercel::HandleFrame(terceltest::IdentityFrame("UNIT B", 0x80)));
    EXPECT_THAT(log_.Messages(), ElementsAre("Error: status = 80", "GetInfo: Invalid data"));
    EXPECT_EQ(Tercel::Objects().identity.get(), identity);
    EXPECT_EQ(terceltest::Entry(Tercel::kIdentityList, L"desc").owner, identity);
    EXPECT_EQ(terceltest::Shown(Tercel::kIdentityList, L"desc"), "UNIT A");

    EXPECT_TRUE(Tercel::HandleFrame(terceltest::IdentityFrame("UNIT C")));
    EXPECT_EQ(Tercel::Objects().identity.get(), identity);  // a new identity is taken in place
    EXPECT_EQ(terceltest::Shown(Tercel::kIdentityList, L"desc"), "UNIT C");
}

TEST_F(TercelCodec, NoIdentityUntilOneChecksOut) {
    EXPECT_FALSE(Tercel::HandleFrame(terceltest::IdentityFrame("UNIT B", 0x80)));
    EXPECT_FALSE(Tercel::Objects().identity);
    EXPECT_TRUE(Tercel::List(Tercel::kIdentityList).empty());
}

}  // namespace
