#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "core/param_registry.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/message_store.h"
#include "tests/ev48400c/test_frames.h"
#include "tests/support/families.h"
#include "tests/support/log_capture.h"

namespace {

using namespace EV48400C;
using ev48test::Entry;
using ev48test::MakeFrame;
using ev48test::Set;
using ev48test::Shown;

class Ev48Groups : public testing::Test {
protected:
    void SetUp() override { testsupport::ResetFamilies(); }
    void TearDown() override { testsupport::ResetFamilies(); }
};

// Payload positions each group takes from the controller and must write back; the rest go out as 0.
struct GroupLayout {
    const char* name;
    uint8_t id;
    std::function<Frame(const Frame&)> roundTrip;
    std::set<size_t> covered;
};

std::set<size_t> Span(size_t first, size_t last) {
    std::set<size_t> positions;
    for (size_t p = first; p <= last; ++p) positions.insert(p);
    return positions;
}

template <typename T>
std::function<Frame(const Frame&)> RoundTrip() {
    return [](const Frame& frame) {
        std::shared_ptr<T> stored;
        EXPECT_TRUE(ParseInto(stored, frame));
        return stored ? stored->Serialize() : Frame{};
    };
}

TEST_F(Ev48Groups, SerializeWritesEveryFieldWhereItWasRead) {
    const GroupLayout layouts[] = {
        {"FirmwareVersion", 50, RoundTrip<FirmwareVersion>(), Span(4, 17)},
        {"Mileage", 51, RoundTrip<Mileage>(), Span(6, 9)},
        {"TemperatureRegulation", 52, RoundTrip<TemperatureRegulation>(), Span(4, 17)},
        {"AcceleratorPedal", 53, RoundTrip<AcceleratorPedal>(), Span(4, 41)},
        {"HillControl", 54, RoundTrip<HillControl>(), Span(4, 11)},
        {"LowSideDrive", 55, RoundTrip<LowSideDrive>(), Span(4, 21)},
        {"MotorParameters", 56, RoundTrip<MotorParameters>(), Span(4, 41)},
        {"StandardGearMode",
         57,
         RoundTrip<StandardGearMode>(),
         {4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16, 20}},
    };
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.name);
        Frame in = MakeFrame(layout.id);
        for (size_t p = 4; p < 52; ++p) in[p] = static_cast<uint8_t>(0x80 + p);
        ev48test::FixChecksum(in);

        Frame expected = MakeFrame(layout.id);
        for (size_t p : layout.covered) expected[p] = in[p];
        ev48test::FixChecksum(expected);

        EXPECT_EQ(layout.roundTrip(in), expected);
    }
}

TEST_F(Ev48Groups, GarbledAnswerKeepsTheStoredGroupAndItsEntries) {
    ASSERT_TRUE(ParseInto(Messages().acceleratorPedal, MakeFrame(53, {{14, 40}})));
    const void* owner = Messages().acceleratorPedal.get();
    Frame garbled = MakeFrame(53, {{14, 90}});
    garbled[52] ^= 1;

    testsupport::LogCapture log;
    EXPECT_FALSE(ParseInto(Messages().acceleratorPedal, garbled));
    EXPECT_THAT(log.Messages(), testing::ElementsAre("AcceleratorPedal: Invalid data"));
    EXPECT_EQ(Shown(kAccelerationList, L"ForwardAcceleration500"), "40");

    ASSERT_TRUE(ParseInto(Messages().acceleratorPedal, MakeFrame(53, {{14, 90}})));
    EXPECT_EQ(Messages().acceleratorPedal.get(), owner);
    EXPECT_EQ(Entry(kAccelerationList, L"ForwardAcceleration500").owner, owner);
    EXPECT_EQ(Shown(kAccelerationList, L"ForwardAcceleration500"), "90");
}

TEST_F(Ev48Groups, EveryGroupNamesItselfOnABadFrame) {
    const std::pair<std::function<bool()>, const char*> cases[] = {
        {[] { return ParseInto(Messages().mileage, MakeFrame(50)); }, "Mileage: Invalidate data"},
        {[] { return ParseInto(Messages().motorParameters, MakeFrame(50)); },
         "MotorParameters: Invalid data"},
        {[] { return ParseInto(Messages().standardGearMode, MakeFrame(50)); },
         "StandardGearMode: Invalid data"},
        {[] { return ParseInto(Messages().lowSideDrive, MakeFrame(50)); }, "LowSideDrive: Invalid data"},
        {[] { return ParseInto(Messages().hillControl, MakeFrame(50)); }, "HillControl: Invalid data"},
        {[] { return ParseInto(Messages().temperatureRegulation, MakeFrame(50)); },
         "TemperatureRegulation: Invalid data"},
        {[] { return ParseInto(Messages().firmwareVersion, MakeFrame(51)); },
         "FirmwareVersion: Invalid data"},
    };
    for (const auto& [parse, line] : cases) {
        testsupport::LogCapture log;
        EXPECT_FALSE(parse());
        EXPECT_THAT(log.Messages(), testing::ElementsAre(line));
    }
    EXPECT_FALSE(Messages().mileage);
}

TEST_F(Ev48Groups, ScaledValuesStoreTypedValueOverScale) {
    ASSERT_TRUE(ParseInto(Messages().acceleratorPedal, MakeFrame(53)));
    ASSERT_TRUE(ParseInto(Messages().lowSideDrive, MakeFrame(55)));
    ASSERT_TRUE(ParseInto(Messages().hillControl, MakeFrame(54)));
    ASSERT_TRUE(ParseInto(Messages().mileage, MakeFrame(51)));
    ASSERT_TRUE(ParseInto(Messages().standardGearMode, MakeFrame(57)));
    struct Case {
        std::string_view list;
        std::wstring key;
        std::string typed;
        std::function<Frame()> serialize;
        size_t position;
        uint16_t raw;
        std::string shown;
    };
    const auto pedal = [] { return Messages().acceleratorPedal->Serialize(); };
    const auto lowSide = [] { return Messages().lowSideDrive->Serialize(); };
    const auto hill = [] { return Messages().hillControl->Serialize(); };
    const Case cases[] = {
        {kAcceleratorList, L"Accelerator_MaxValue_V", "2.3", pedal, 6, 229, "2.3"},
        {kAcceleratorList, L"Accelerator_MinValue_V", "0.5", pedal, 8, 50, "0.5"},
        {kLowSideDriveList, L"mainRelayPullinVolt", "48", lowSide, 10, 480, "48.0"},
        {kLowSideDriveList, L"elecBrakeKeepVolt", "12.5", lowSide, 20, 125, "12.5"},
        {kLowSideDriveList, L"mainRelayPullinTime", "0.5", lowSide, 12, 5, "0.5"},
        {kHillControlList, L"Slide_Kp", "0.25", hill, 8, 250, "0.250"},
        {kHillControlList, L"Slide_Ki", "0.5", hill, 10, 500, "0.50"},
        {kMileageList, L"VehicleSpeedRatio", "12.5", [] { return Messages().mileage->Serialize(); }, 8, 125,
         "12.5"},
        {kSpeedLoopList, L"SpeedLoopKi", "0.125", [] { return Messages().standardGearMode->Serialize(); }, 12,
         125, "0.125"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed + " for " + text::WideToUtf8(c.key));
        Set(c.list, c.key, c.typed);
        const Frame frame = c.serialize();
        EXPECT_EQ(frame[c.position] | frame[c.position + 1] << 8, c.raw);
        EXPECT_EQ(Shown(c.list, c.key), c.shown);
    }
}

TEST_F(Ev48Groups, ScaledSettersRefuseWhatDoesNotFit) {
    ASSERT_TRUE(ParseInto(Messages().acceleratorPedal, MakeFrame(53, {{6, 0xF4}, {7, 0x01}})));
    const auto& entry = Entry(kAcceleratorList, L"Accelerator_MaxValue_V");
    EXPECT_THROW(entry.setter(entry.owner, "abc"), std::invalid_argument);
    EXPECT_THROW(entry.setter(entry.owner, "700"), std::out_of_range);
    EXPECT_THROW(entry.setter(entry.owner, "-1"), std::out_of_range);
    EXPECT_THROW(entry.setter(entry.owner, "1e39"), std::out_of_range);
    EXPECT_EQ(Shown(kAcceleratorList, L"Accelerator_MaxValue_V"), "5.0");
}

TEST_F(Ev48Groups, ClampingSetters) {
    ASSERT_TRUE(ParseInto(Messages().motorParameters, MakeFrame(56)));
    ASSERT_TRUE(ParseInto(Messages().hillControl, MakeFrame(54)));
    ASSERT_TRUE(ParseInto(Messages().standardGearMode, MakeFrame(57)));
    Messages().motorParameters->SetMotorPeakSpeed(8000);
    struct Case {
        std::string_view list;
        std::wstring key;
        std::string typed;
        std::string shown;
    };
    const Case cases[] = {
        {kMotorSpeedList, L"motorPeakSpeed", "9000", "8000"},
        {kMotorPowerList, L"motorPeakPower", "15000", "14000"},
        {kMotorPowerList, L"motorPeakTorque", "65", "60"},
        {kHillControlList, L"Slide_MaxMotorSpeed", "700", "600"},
        {kGearSpeedList, L"BKD_MaxSpeed", "9000", "8000"},
        {kMotorTorqueList, L"genTorque_0_1000", "7.5", "7"},
    };
    for (const auto& c : cases) {
        Set(c.list, c.key, c.typed);
        EXPECT_EQ(Shown(c.list, c.key), c.shown) << text::WideToUtf8(c.key);
    }
    const auto& torque = Entry(kMotorTorqueList, L"genTorque_0_1000");
    EXPECT_THROW(torque.setter(torque.owner, "70000"), std::invalid_argument);
}

TEST_F(Ev48Groups, PeakTorqueAcceptedByRangeIsStoredClamped) {
    ASSERT_TRUE(ParseInto(Messages().motorParameters, MakeFrame(56)));
    testsupport::LogCapture log;
    EXPECT_TRUE(ApplyParamValue(List(kMotorPowerList), "Motor Maximum Torque", "65"));
    EXPECT_EQ(Shown(kMotorPowerList, L"motorPeakTorque"), "60");
    EXPECT_EQ(Messages().motorParameters->Serialize()[14], 60);
    EXPECT_TRUE(DirtyKeys().count(L"motorPeakTorque"));
}

TEST_F(Ev48Groups, LoweringThePeakSpeedLimitsTheGears) {
    // Motor maximum 5000; gears at 4500, 2500 and 3500.
    ASSERT_TRUE(ParseInto(Messages().motorParameters, MakeFrame(56, {{10, 0x88}, {11, 0x13}})));
    ASSERT_TRUE(ParseInto(Messages().standardGearMode,
                          MakeFrame(57, {{4, 0x94}, {5, 0x11}, {6, 0xC4}, {7, 0x09}, {8, 0xAC}, {9, 0x0D}})));
    EXPECT_EQ(Entry(kGearSpeedList, L"FWD_GearH_MaxSpeed").maxValue(nullptr), L"5000");

    Set(kMotorSpeedList, L"motorPeakSpeed", "3000");
    Messages().standardGearMode->LimitSpeeds(Messages().motorParameters->MotorPeakSpeed());

    EXPECT_EQ(Shown(kGearSpeedList, L"FWD_GearH_MaxSpeed"), "3000");
    EXPECT_EQ(Shown(kGearSpeedList, L"FWD_GearS_MaxSpeed"), "2500");
    EXPECT_EQ(Shown(kGearSpeedList, L"BKD_MaxSpeed"), "3000");
    EXPECT_THAT(DirtyKeys(), testing::ElementsAre(L"BKD_MaxSpeed", L"FWD_GearH_MaxSpeed"));
    const auto& entry = Entry(kGearSpeedList, L"FWD_GearS_MaxSpeed");
    EXPECT_EQ(entry.maxValue(entry.owner), L"3000");
}

TEST_F(Ev48Groups, GearSpeedsWithoutMotorParametersAdmitNoPositiveSpeed) {
    ASSERT_TRUE(ParseInto(Messages().standardGearMode, MakeFrame(57)));
    const auto& entry = Entry(kGearSpeedList, L"FWD_GearH_MaxSpeed");
    EXPECT_EQ(entry.maxValue(entry.owner), L"");
    testsupport::LogCapture log;
    EXPECT_FALSE(ApplyParamValue(List(kGearSpeedList), "Forward High Gear Max Speed", "100"));
}

TEST_F(Ev48Groups, EnumerationsShowNamesAndTakeNumbers) {
    ASSERT_TRUE(ParseInto(Messages().standardGearMode, MakeFrame(57, {{20, 11}})));
    ASSERT_TRUE(ParseInto(Messages().temperatureRegulation, MakeFrame(52, {{4, 3}})));
    ASSERT_TRUE(ParseInto(Messages().acceleratorPedal, MakeFrame(53, {{4, 1}})));
    ASSERT_TRUE(ParseInto(Messages().lowSideDrive, MakeFrame(55, {{6, 1}})));
    ASSERT_TRUE(ParseInto(Messages().hillControl, MakeFrame(54, {{4, 1}})));
    EXPECT_EQ(Shown(kSpeedLoopList, L"CANBaudrate"), "Unknown");
    EXPECT_EQ(Shown(kTemperatureList, L"motorTempSensorType"), "KTY84");
    EXPECT_EQ(Shown(kAcceleratorList, L"AcceleratorPedalSigType"), "Analog+Switch");
    EXPECT_EQ(Shown(kLowSideDriveList, L"elecBrakeEnable"), "ENABLE");
    EXPECT_EQ(Shown(kHillControlList, L"HillControlMode"), "Running down on the slope");

    Set(kSpeedLoopList, L"CANBaudrate", "5");
    EXPECT_EQ(Shown(kSpeedLoopList, L"CANBaudrate"), "500KBit/s");
    EXPECT_EQ(Messages().standardGearMode->Serialize()[20], 5);
    EXPECT_TRUE(Entry(kAcceleratorList, L"AcceleratorPedalSigType").readOnly);
}

TEST_F(Ev48Groups, SignedTemperatures) {
    ASSERT_TRUE(ParseInto(Messages().temperatureRegulation, MakeFrame(52, {{14, 0xEC}, {15, 0xFF}})));
    EXPECT_EQ(Shown(kTemperatureList, L"underTempCtCutback"), "-20");
    Set(kTemperatureList, L"underTempCtZeroPw", "-40");
    const Frame frame = Messages().temperatureRegulation->Serialize();
    EXPECT_EQ(frame[16], 0xD8);
    EXPECT_EQ(frame[17], 0xFF);
}

TEST_F(Ev48Groups, FirmwareIsShownAsText) {
    // 2023/5/17, version 12, type 3.
    ASSERT_TRUE(ParseInto(Messages().firmwareVersion,
                          MakeFrame(50, {{4, 0xE7}, {5, 0x07}, {6, 5}, {8, 17}, {10, 12}, {12, 3}})));
    EXPECT_EQ(Messages().firmwareVersion->Describe(),
              "Firmware Release Date=2023/5/17\nFirmware Version=v12\nFirmware Type=Electric brakes 4kW\n");
    for (const auto& entry : List(kFirmwareList)) {
        EXPECT_EQ(entry.kind, ParamKind::Text);
        EXPECT_TRUE(entry.readOnly);
    }
    ASSERT_TRUE(ParseInto(Messages().firmwareVersion, MakeFrame(50, {{12, 5}})));
    EXPECT_EQ(Shown(kFirmwareList, L"firmwareType"), "Unknown");
}

// Each acceleration entry acts on the word its table names, so a key cannot edit its neighbour.
TEST_F(Ev48Groups, AccelerationEntriesWriteTheirOwnWords) {
    ASSERT_TRUE(ParseInto(Messages().acceleratorPedal, MakeFrame(53)));
    const std::pair<const wchar_t*, size_t> cases[] = {
        {L"ForwardAcceleration500", 14}, {L"ForwardAcceleration6000", 26}, {L"ForwardDeceleration6000", 40},
        {L"ForwardDeceleration500", 28}, {L"BackwardAcceleration", 10},    {L"BackwardDeceleration", 12},
    };
    for (const auto& [key, position] : cases) {
        testsupport::ResetFamilies();
        ASSERT_TRUE(ParseInto(Messages().acceleratorPedal, MakeFrame(53)));
        Set(kAccelerationList, key, "77");
        const Frame frame = Messages().acceleratorPedal->Serialize();
        for (size_t p = 4; p < 52; ++p)
            EXPECT_EQ(frame[p], p == position ? 77 : 0) << text::WideToUtf8(key) << p;
    }
}

TEST_F(Ev48Groups, MotorEntriesWriteTheirOwnWords) {
    const std::pair<std::pair<std::string_view, const wchar_t*>, size_t> cases[] = {
        {{kMotorSpeedList, L"motorPeakSpeed"}, 10},      {{kMotorPowerList, L"motorPeakPower"}, 12},
        {{kMotorPowerList, L"motorPeakTorque"}, 14},     {{kMotorTorqueList, L"eleTorque_0_500"}, 16},
        {{kMotorTorqueList, L"eleTorque_3000_max"}, 28}, {{kMotorTorqueList, L"genTorque_0_1000"}, 30},
        {{kMotorTorqueList, L"genTorque_5000_max"}, 40},
    };
    for (const auto& [entry, position] : cases) {
        testsupport::ResetFamilies();
        ASSERT_TRUE(ParseInto(Messages().motorParameters, MakeFrame(56)));
        Set(entry.first, entry.second, "55");
        const Frame frame = Messages().motorParameters->Serialize();
        for (size_t p = 4; p < 52; ++p)
            EXPECT_EQ(frame[p], p == position ? 55 : 0) << text::WideToUtf8(entry.second) << p;
    }
}

}  // namespace
