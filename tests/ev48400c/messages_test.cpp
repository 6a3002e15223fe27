#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ev48400c/command_response_mcu2pc.h"
#include "ev48400c/cycle_request_pc2mcu.h"
#include "ev48400c/cycle_response_mcu2pc.h"
#include "ev48400c/entry_lists.h"
#include "tests/ev48400c/test_frames.h"
#include "tests/support/families.h"
#include "tests/support/log_capture.h"

namespace {

using namespace EV48400C;
using ev48test::MakeFrame;
using ev48test::Shown;

class Ev48Messages : public testing::Test {
protected:
    void SetUp() override { testsupport::ResetFamilies(); }
    void TearDown() override { testsupport::ResetFamilies(); }
};

TEST_F(Ev48Messages, LiveDataRequest) {
    testsupport::LogCapture log;
    const CycleRequestPC2MCU request(RequestCommand::RequestSpecifiedMessageData, 41);
    Frame expected = {0x57, 0x49, 0x22, 0x30, 0x01, 0x29};
    expected.resize(52, 0x00);
    expected.insert(expected.end(), {0x7C, 0x53, 0x45});
    EXPECT_EQ(request.Serialize(), expected);
    ASSERT_EQ(log.Messages().size(), 1u);
    EXPECT_THAT(log.Messages()[0],
                testing::StartsWith("[CycleRequestPC2MCU] 0x57 0x49 0x22 0x30 0x01 0x29 0x00"));
    EXPECT_EQ(request.Describe(),
              "CID: 0x22\r\n"
              "Request command: RequestSpecifiedMessageData\r\n"
              "Request data: 0x29 CycleResponse_MCU2PC\r\n"
              "Historical fault index: 0x00\r\n"
              "Historical Fault Section Sub-Number: 0x00");
}

TEST_F(Ev48Messages, RequestParsesAllFourBytesAndNamesUnknownOnes) {
    CycleRequestPC2MCU request;
    ASSERT_TRUE(request.Parse(MakeFrame(0x22, {{4, 9}, {5, 0xFE}, {6, 0x0A}, {7, 0xB1}})));
    EXPECT_EQ(request.Describe(),
              "CID: 0x22\r\n"
              "Request command: Unknown\r\n"
              "Request data: 0xFE Unknown\r\n"
              "Historical fault index: 0x0A\r\n"
              "Historical Fault Section Sub-Number: 0xB1");

    testsupport::LogCapture log;
    EXPECT_FALSE(request.Parse(MakeFrame(0x29)));
    EXPECT_THAT(log.Messages(), testing::ElementsAre("CycleRequestPC2MCU: Invalidate data"));
}

TEST_F(Ev48Messages, CommandResponse) {
    struct Case {
        uint8_t code;
        const char* name;
    };
    const Case cases[] = {{0, "void"}, {1, "normal"}, {2, "abnormality"}, {3, "Unknown"}};
    for (const auto& c : cases) {
        CommandResponse_MCU2PC response;
        ASSERT_TRUE(response.Parse(MakeFrame(0xFE, {{4, 53}, {5, c.code}, {6, 0x03}, {7, 0x02}})));
        EXPECT_EQ(response.Describe(), std::string("CID: 0xFE\r\nRequestID: 53\r\nResponseCode: ") + c.name +
                                           "\r\nHistoryDTCNum: 515");
    }
    testsupport::LogCapture log;
    CommandResponse_MCU2PC response;
    EXPECT_FALSE(response.Parse(MakeFrame(0x35)));
    EXPECT_THAT(log.Messages(), testing::ElementsAre("CommandResponse_MCU2PC: Invalid data"));
}

TEST_F(Ev48Messages, LiveDataDecodesAndClamps) {
    struct Case {
        const char* what;
        Frame frame;
        std::vector<std::pair<std::wstring, std::string>> shown;
    };
    const Case cases[] = {
        {"reserve switch from the top bits",
         MakeFrame(0x29, {{4, 0xC0}, {5, 0x01}}),
         {{L"reserveSwitch", "7"},
          {L"mainRelay", "0"},
          {L"brakeRelay", "0"},
          {L"accelerationPedal", "0"},
          {L"drivingForward", "0"},
          {L"drivingReverse", "0"},
          {L"slowMode", "0"}}},
        {"switch bits",
         MakeFrame(0x29, {{4, 0x29}}),
         {{L"mainRelay", "1"},
          {L"drivingForward", "1"},
          {L"slowMode", "1"},
          {L"brakeRelay", "0"},
          {L"reserveSwitch", "0"}}},
        {"DC bus voltage clamped", MakeFrame(0x29, {{6, 0xDC}, {7, 0x05}}), {{L"voltageDC", "100.00"}}},
        {"KSI voltage in tenths", MakeFrame(0x29, {{10, 0xE0}, {11, 0x01}}), {{L"voltageKSI", "48.00"}}},
        {"5 V supply in tenths", MakeFrame(0x29, {{13, 50}}), {{L"voltage5VOut", "5.00"}}},
        {"motor speed clamped from below",
         MakeFrame(0x29, {{24, 0x00}, {25, 0x80}}),
         {{L"motorSpeedFbk", "-10000"}}},
        {"negative temperature", MakeFrame(0x29, {{34, 0xF6}, {35, 0xFF}}), {{L"motorTemp", "-10"}}},
        {"temperature clamped", MakeFrame(0x29, {{36, 0x2C}, {37, 0x01}}), {{L"controllerTemp", "200"}}},
        {"vehicle speed clamped", MakeFrame(0x29, {{28, 0xFF}, {29, 0xFF}}), {{L"vehicleSpeed", "600"}}},
        {"battery string voltage in volts", MakeFrame(0x29, {{16, 48}}), {{L"bdiBatteryVoltage", "48"}}},
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

TEST_F(Ev48Messages, GarbledLiveDataKeepsTheShownValues) {
    ASSERT_TRUE(ParseInto(Messages().liveData, MakeFrame(0x29, {{6, 0xE0}, {7, 0x01}})));
    const auto* owner = Messages().liveData.get();
    Frame garbled = MakeFrame(0x29, {{6, 0x10}});
    garbled[30] ^= 0x40;
    testsupport::LogCapture log;
    EXPECT_FALSE(ParseInto(Messages().liveData, garbled));
    EXPECT_THAT(log.Messages(), testing::ElementsAre("CycleResponseMCU2PC: Invalid data"));
    EXPECT_EQ(Shown(kLiveDataList, L"voltageDC"), "48.00");
    EXPECT_EQ(Messages().liveData.get(), owner);
}

TEST_F(Ev48Messages, LiveDataSettersKeepTheClamps) {
    ASSERT_TRUE(ParseInto(Messages().liveData, MakeFrame(0x29)));
    ev48test::Set(kLiveDataList, L"voltageDC", "1500");
    ev48test::Set(kLiveDataList, L"motorSpeedRef", "-20000");
    EXPECT_EQ(Shown(kLiveDataList, L"voltageDC"), "100.00");
    EXPECT_EQ(Shown(kLiveDataList, L"motorSpeedRef"), "-10000");
}

}  // namespace
