#include "ev48400c/family_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/ev48400c/test_frames.h"
#include "tests/support/families.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace EV48400C;
using ev48test::MakeFrame;
using ev48test::Shown;
using testing::ElementsAre;

class Ev48FamilyFiles : public testsupport::FreshFamilies {
protected:
    void SetUp() override {
        testsupport::ResetFamilies();
        // Motor maximum 5000 RPM; gears at 4500, 2500 and 3500.
        ASSERT_TRUE(ParseInto(Messages().motorParameters, MotorFrame(0x88, 0x13, 80)));
        ASSERT_TRUE(
            ParseInto(Messages().standardGearMode,
                      MakeFrame(57, {{4, 0x94}, {5, 0x11}, {6, 0xC4}, {7, 0x09}, {8, 0xAC}, {9, 0x0D}})));
    }

    // Peak speed from its two bytes, the first driving torque factor, a stored-only word at 4.
    static Frame MotorFrame(uint8_t speedLow, uint8_t speedHigh, uint8_t torqueFactor) {
        return MakeFrame(56, {{4, 0x5A}, {10, speedLow}, {11, speedHigh}, {16, torqueFactor}});
    }

    std::filesystem::path Write(const std::string& content) {
        const auto path = dir_ / "data.vtdata";
        testsupport::WriteFileBytes(path, content);
        return path;
    }

    testsupport::TempDir dir_;
};

// Only the motor maximum limits the gears; the lowered ones are marked for writing.
TEST_F(Ev48FamilyFiles, OnlyThePeakSpeedLimitsTheGears) {
    Messages().motorParameters->SetMotorPeakSpeed(3000);
    EXPECT_FALSE(ApplyCrossGroupLimit(L"FWD_GearH_MaxSpeed"));
    EXPECT_FALSE(ApplyCrossGroupLimit(L"motorPeakSpeed "));
    EXPECT_EQ(Shown(kGearSpeedList, L"FWD_GearH_MaxSpeed"), "4500");

    EXPECT_TRUE(ApplyCrossGroupLimit(L"motorPeakSpeed"));
    EXPECT_EQ(Shown(kGearSpeedList, L"FWD_GearH_MaxSpeed"), "3000");
    EXPECT_EQ(Shown(kGearSpeedList, L"FWD_GearS_MaxSpeed"), "2500");
    EXPECT_THAT(DirtyKeys(), ElementsAre(L"BKD_MaxSpeed", L"FWD_GearH_MaxSpeed"));
}

// A motor maximum never read limits nothing, and no gear speed can be checked against it.
TEST_F(Ev48FamilyFiles, WithoutTheMotorMaximumNoGearSpeedIsTaken) {
    Messages().motorParameters.reset();
    EXPECT_FALSE(ApplyCrossGroupLimit(L"motorPeakSpeed"));
    const auto& gearH = ev48test::Entry(kGearSpeedList, L"FWD_GearH_MaxSpeed");
    EXPECT_EQ(gearH.maxValue(gearH.owner), L"");
    EXPECT_FALSE(ApplyParamValue(List(kGearSpeedList), "Forward High Gear Max Speed", "100"));
    EXPECT_EQ(Shown(kGearSpeedList, L"FWD_GearH_MaxSpeed"), "4500");
    EXPECT_TRUE(DirtyKeys().empty());
}

TEST_F(Ev48FamilyFiles, BackupMarksWhatItChanged) {
    const Frame motor = MotorFrame(0x70, 0x17, 90);  // 6000 RPM
    Frame garbledPedal = MakeFrame(53, {{14, 30}});
    garbledPedal[52] ^= 0xFF;
    const Frame mileage = MakeFrame(51, {{6, 0xF4}, {7, 0x01}});

    EXPECT_TRUE(RestoreBackupGroup("Motor Parameters", motor));
    EXPECT_FALSE(RestoreBackupGroup("Accelerator", garbledPedal));
    EXPECT_TRUE(RestoreBackupGroup("Mileage", mileage));

    EXPECT_EQ(Shown(kMotorSpeedList, L"motorPeakSpeed"), "6000");
    EXPECT_EQ(Shown(kMotorTorqueList, L"eleTorque_0_500"), "90");
    EXPECT_EQ(Messages().motorParameters->Serialize(), motor);
    EXPECT_FALSE(Messages().acceleratorPedal);
    // A group the controller never sent is taken whole from the backup.
    EXPECT_EQ(Shown(kMileageList, L"VehicleTireRadius"), "500");
    EXPECT_THAT(DirtyKeys(), ElementsAre(L"VehicleSpeedRatio", L"VehicleTireRadius", L"eleTorque_0_500",
                                         L"motorPeakSpeed"));
}

// Each section goes to its own lists, and the motor maximum it sets limits the gears.
TEST_F(Ev48FamilyFiles, ProfileAppliesItsSectionsToTheirLists) {
    ASSERT_TRUE(ParseInto(Messages().acceleratorPedal, MakeFrame(53)));
    EXPECT_TRUE(ImportProfile(
        Write("[File]\nType=Profile\n"
              "[Motor Speed Parameters]\nMotor Maximum Speed=3000\n"
              "[Motor Torque Parameters]\nDriving Torque Factor 0->500 RPM = 75\n"
              "[Standard Gear Mode]\nSpeed Loop Kp=1.5\nReverse Max Speed=2000\n"
              "[Accelerator]\nForward Acceleration 0->500 RPM=50\nAccelerator Max Value=4.5\n")));
    EXPECT_EQ(Shown(kMotorSpeedList, L"motorPeakSpeed"), "3000");
    EXPECT_EQ(Shown(kGearSpeedList, L"FWD_GearH_MaxSpeed"), "3000");
    EXPECT_EQ(Shown(kSpeedLoopList, L"SpeedLoopKp"), "1.50");
    EXPECT_THAT(DirtyKeys(), ElementsAre(L"Accelerator_MaxValue_V", L"BKD_MaxSpeed", L"FWD_GearH_MaxSpeed",
                                         L"ForwardAcceleration500", L"SpeedLoopKp", L"eleTorque_0_500",
                                         L"motorPeakSpeed"));
}

}  // namespace
