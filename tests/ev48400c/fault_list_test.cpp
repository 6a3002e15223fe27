#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ev48400c/entry_lists.h"
#include "ev48400c/fault_list_ev48400c_d5.h"
#include "ev48400c/message_store.h"
#include "tests/ev48400c/test_frames.h"
#include "tests/support/families.h"
#include "tests/support/log_capture.h"

namespace {

using namespace EV48400C;
using ev48test::MakeFrame;

class Ev48FaultList : public testing::Test {
protected:
    void SetUp() override { testsupport::ResetFamilies(); }
    void TearDown() override { testsupport::ResetFamilies(); }

    static std::vector<std::wstring> ActiveCodes() {
        std::vector<std::wstring> codes;
        for (const auto& entry : List(kFaultList))
            if (entry.getter(entry.owner) == "1") codes.push_back(entry.key);
        return codes;
    }
};

TEST_F(Ev48FaultList, BitsNameTheirFaults) {
    struct Case {
        const char* what;
        Frame frame;
        std::vector<std::wstring> codes;
        std::string description;
    };
    const Case cases[] = {
        {"first bit", MakeFrame(49, {{4, 0x01}}), {L"1"}, "SevereOvervoltage "},
        {"last bit", MakeFrame(49, {{11, 0x08}}), {L"199"}, "HighTemp_charging_alarm "},
        {"high bits of the last byte", MakeFrame(49, {{11, 0xF0}}), {}, "No faults"},
        {"none", MakeFrame(49), {}, "No faults"},
        {"several, in table order",
         MakeFrame(49, {{5, 0x80}, {4, 0x02}, {8, 0x08}}),
         {L"5", L"47", L"101"},
         "ParameterChangeFault EMBrakeOpen CommunicationLoss "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(ParseInto(Messages().faultList, c.frame));
        EXPECT_EQ(ActiveCodes(), c.codes);
        EXPECT_EQ(Messages().faultList->Describe(), c.description);
    }
}

TEST_F(Ev48FaultList, ShortAnswerKeepsTheFlags) {
    ASSERT_TRUE(ParseInto(Messages().faultList, MakeFrame(49, {{4, 0x01}})));
    Frame shortAnswer = MakeFrame(49, {{4, 0x02}});
    shortAnswer.resize(11);
    testsupport::LogCapture log;
    EXPECT_FALSE(ParseInto(Messages().faultList, shortAnswer));
    EXPECT_THAT(log.Messages(), testing::ElementsAre("FaultListEV48400CD5: Invalid data"));
    EXPECT_EQ(ActiveCodes(), std::vector<std::wstring>{L"1"});
}

}  // namespace
