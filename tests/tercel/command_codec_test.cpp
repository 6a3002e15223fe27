#include "tercel/command_codec.h"

#include <gtest/gtest.h>

#include "core/param_registry.h"
#include "tercel/family_state.h"
#include "tests/support/families.h"
#include "tests/tercel/test_support.h"

namespace {

using terceltest::Frame;
using terceltest::IdentityFrame;

using TercelCodec = testsupport::FreshFamilies;

TEST_F(TercelCodec, ChecksumsAndCommandsOfWorkedExamples) {
    EXPECT_EQ(Tercel::ComputeChecksum({0x2B, 0xC0}), 0);  // too short to carry one
    EXPECT_EQ(Tercel::IdentityRequest(), (Frame{0x2B, 0xC0, 0x40}));
    EXPECT_EQ(Tercel::BuildReadFrame(255), (Frame{0x2B, 0x04, 0x05, 0x02, 0xFF, 0x00, 0x00, 0x00, 0xF6}));
    // 0x0A3E = 2622, 0xFFFF: the high bytes of address and value go where they belong.
    EXPECT_EQ(Tercel::BuildWriteFrame(0x0A3E, 0xFFFF),
              (Frame{0x2B, 0x05, 0x07, 0x02, 0x3E, 0x0A, 0x00, 0x00, 0xFF, 0xFF, 0xAC}));
}

TEST_F(TercelCodec, ResponsesNeedFiveBytesTheSomAndNoRefusalBit) {
    const struct {
        const char* what;
        Frame response;
        bool valid;
    } cases[] = {
        {"four bytes", {0x2B, 0x00, 0x01, 0x02}, false},
        {"wrong SOM", {0x2A, 0x00, 0x01, 0x02, 0x00}, false},
        {"refused", {0x2B, 0x80, 0x01, 0x02, 0x00}, false},
        {"every other status bit", {0x2B, 0x7F, 0x01, 0x02, 0x00}, true},
    };
    for (const auto& c : cases) EXPECT_EQ(Tercel::ValidateResponse(c.response), c.valid) << c.what;
}

TEST_F(TercelCodec, RefusesFramesItCannotReadWithoutTouchingAnything) {
    const Frame cases[] = {
        {},
        {0x2B},
        {0x2B, 0x05, 0x07, 0x02, 0x3E, 0x0B, 0x00, 0x00, 0x2C},  // a write cut before its value
        {0x2B, 0x04, 0x05, 0x02, 0xFF, 0x00, 0x00, 0x00, 0xF6},  // a read command is not replayed
    };
    for (const auto& frame : cases) EXPECT_FALSE(Tercel::HandleFrame(frame)) << frame.size();
    EXPECT_TRUE(Tercel::Registers().empty());
    EXPECT_TRUE(DirtyKeys().empty());
}

// Any 39 bytes that check out are an identity, whatever sits in the command position; one that does
// not check out never replaces the one shown.
TEST_F(TercelCodec, IdentityIsTakenOnlyWhenItChecksOut) {
    EXPECT_FALSE(Tercel::HandleFrame(IdentityFrame("UNIT B", 0x80)));
    EXPECT_FALSE(Tercel::Objects().identity);
    EXPECT_TRUE(Tercel::List(Tercel::kIdentityList).empty());

    ASSERT_TRUE(Tercel::HandleFrame(IdentityFrame("UNIT A", 0x05)));
    const Tercel::GetInfo* identity = Tercel::Objects().identity.get();
    ASSERT_TRUE(identity);
    EXPECT_TRUE(DirtyKeys().empty());

    EXPECT_FALSE(Tercel::HandleFrame(IdentityFrame("UNIT B", 0x80)));
    EXPECT_EQ(Tercel::Objects().identity.get(), identity);
    EXPECT_EQ(terceltest::Entry(Tercel::kIdentityList, L"desc").owner, identity);
    EXPECT_EQ(terceltest::Shown(Tercel::kIdentityList, L"desc"), "UNIT A");

    EXPECT_TRUE(Tercel::HandleFrame(IdentityFrame("UNIT C")));
    EXPECT_EQ(Tercel::Objects().identity.get(), identity);  // a new identity is taken in place
    EXPECT_EQ(terceltest::Shown(Tercel::kIdentityList, L"desc"), "UNIT C");
}

}  // namespace
