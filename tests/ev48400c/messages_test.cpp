// What the controller reports: live data, the model variant and the fault flags.
#include <gtest/gtest.h>

#include "ev48400c/entry_lists.h"
#include "ev48400c/message_store.h"
#include "tests/ev48400c/test_frames.h"
#include "tests/support/families.h"

namespace {

using namespace EV48400C;
using ev48test::MakeFrame;
using ev48test::Shown;

using Ev48Messages = testsupport::FreshFamilies;

TEST_F(Ev48Messages, LiveDataDecodesAndClamps) {
    const struct {
        const char* what;
        Frame frame;
        std::vector<std::pair<std::wstring, std::string>> shown;
    } cases[] = {
        {"reserve switch from the top bits",
         MakeFrame(0x29, {{4, 0xC0}, {5, 0x01}}),
         {{L"reserveSwitch", "7"}, {L"mainRelay", "0"}, {L"drivingReverse", "0"}, {L"slowMode", "0"}}},
        {"switch bits",
         MakeFrame(0x29, {{4, 0x29}}),
         {{L"mainRelay", "1"}, {L"drivingForward", "1"}, {L"slowMode", "1"}, {L"brakeRelay", "0"}}},
        {"DC bus voltage clamped", MakeFrame(0x29, {{6, 0xDC}, {7, 0x05}}), {{L"voltageDC", "100.00"}}},
        {"motor speed clamped from below",
         MakeFrame(0x29, {{24, 0x00}, {25, 0x80}}),
         {{L"motorSpeedFbk", "-10000"}}},
        {"negative temperature", MakeFrame(0x29, {{34, 0xF6}, {35, 0xFF}}), {{L"motorTemp", "-10"}}},
        {"working time and odometer",
         MakeFrame(0x29, {{40, 1}, {41, 2}, {42, 3}, {43, 4}, {44, 0x10}, {47, 0x80}}),
         {{L"totalWorkingTime", "67305985"}, {L"totalOdometer", "2147483664"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(ParseInto(Messages().liveData, c.frame));
        for (const auto& [key, text] : c.shown)
            EXPECT_EQ(Shown(kLiveDataList, key), text) << text::WideToUtf8(key);
    }
}

TEST_F(Ev48Messages, VehicleModelDecidesTheD5Flag) {
    const std::pair<uint8_t, const char*> cases[] = {{1, "D5"}, {2, "Unknown"}, {0, "Other"}};
    for (const auto& [model, name] : cases) {
        ASSERT_TRUE(ParseInto(Messages().liveData, MakeFrame(0x29, {{8, model}})));
        EXPECT_EQ(Shown(kLiveDataList, L"vehicleModel"), name);
        EXPECT_EQ(isD5Model, model == 1) << name;
    }
}

TEST_F(Ev48Messages, FaultBitsNameTheirFaults) {
    const struct {
        const char* what;
        Frame frame;
        std::vector<std::wstring> codes;
        std::string description;
    } cases[] = {
        {"first bit", MakeFrame(49, {{4, 0x01}}), {L"1"}, "SevereOvervoltage "},
        {"last bit", MakeFrame(49, {{11, 0x08}}), {L"199"}, "HighTemp_charging_alarm "},
        {"high bits of the last byte", MakeFrame(49, {{11, 0xF0}}), {}, "No faults"},
        {"several, in table order",
         MakeFrame(49, {{5, 0x80}, {4, 0x02}, {8, 0x08}}),
         {L"5", L"47", L"101"},
         "ParameterChangeFault EMBrakeOpen CommunicationLoss "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(ParseInto(Messages().faultList, c.frame));
        std::vector<std::wstring> active;
        for (const auto& entry : List(kFaultList))
            if (entry.getter(entry.owner) == "1") active.push_back(entry.key);
        EXPECT_EQ(active, c.codes);
        EXPECT_EQ(Messages().faultList->Describe(), c.description);
    }
}

}  // namespace
