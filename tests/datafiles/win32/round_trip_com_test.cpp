// Backups put back onto vantrel-sim through the Win32 port under Wine. The simulator's state file is
// out of reach here, so the controller is read again after the write and must answer with what it
// held when the backup was made. Each family runs as its own test program invocation (GTEST_FILTER).
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <vector>

#include "core/param_registry.h"
#include "core/text.h"
#include "datafiles/data_file.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/ev48400c_driver.h"
#include "ev48400c/message_store.h"
#include "fj/fj_controller.h"
#include "fj/packet_codec.h"
#include "fj/parameter_table.h"
#include "fj/value_table.h"
#include "serial/serial_port.h"
#include "tercel/entry_lists.h"
#include "tercel/family_state.h"
#include "tercel/tercel_controller.h"
#include "tests/ev48400c/test_frames.h"
#include "tests/fj/fj_test_support.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/temp_dir.h"
#include "tests/tercel/test_support.h"

namespace {

using datafiles::Family;

class BackupRoundTripCom : public testing::Test {
protected:
    void SetUp() override {
        ev48test::ResetFamily();
        fjtest::ResetFamily();
        terceltest::ResetAll();
        port_ = std::getenv("VANTREL_TEST_COM_PORT");
        ASSERT_NE(port_, nullptr) << "run through wine_sim_test.sh";
    }
    void TearDown() override { SerialPort::Instance().Close(); }

    // Saves, lets change() alter the controller, and loads the backup back into the model.
    void SaveAndLoadBack(Family family, const std::function<void()>& change) {
        datafiles::DataFileContext context;
        context.family = family;
        context.executableDirectory = dir_.Path();
        prompter_.saveFile = dir_ / "backup.vtdata";
        ASSERT_TRUE(datafiles::SaveBackup(context));
        change();
        prompter_.openFile = dir_ / "backup.vtdata";
        ASSERT_TRUE(datafiles::LoadDataFile(context));
    }
    static void Apply(std::string_view list, const std::wstring& label, const std::string& value) {
        ASSERT_TRUE(ApplyParamValue(ParamRegistry::Instance().List(list), text::WideToUtf8(label), value));
    }

    const char* port_ = nullptr;
    testsupport::TempDir dir_;
    testsupport::FakePrompter prompter_;
};

TEST_F(BackupRoundTripCom, Ev48400c) {
    EV48400C::EV48400C driver;
    ASSERT_TRUE(SerialPort::Instance().Open(port_, driver.GetBaudRate()));
    ASSERT_TRUE(driver.Identify());
    const auto& m = EV48400C::Messages();
    const auto frames = [&] {
        return std::vector<Frame>{m.motorParameters->Serialize(),  m.standardGearMode->Serialize(),
                                  m.acceleratorPedal->Serialize(), m.lowSideDrive->Serialize(),
                                  m.hillControl->Serialize(),      m.temperatureRegulation->Serialize(),
                                  m.mileage->Serialize()};
    };
    const auto atBackup = frames();
    SaveAndLoadBack(Family::EV48400C, [&] {
        Apply(EV48400C::kGearSpeedList, ev48test::Entry(EV48400C::kGearSpeedList, L"BKD_MaxSpeed").label,
              "1800");
        Apply(EV48400C::kMileageList, ev48test::Entry(EV48400C::kMileageList, L"VehicleTireRadius").label,
              "300");
        ASSERT_TRUE(driver.WriteAll());
        ASSERT_NE(frames(), atBackup);
    });
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"BKD_MaxSpeed", L"VehicleTireRadius"}));
    ASSERT_TRUE(driver.WriteAll());  // reads everything back
    EXPECT_EQ(frames(), atBackup);
}

TEST_F(BackupRoundTripCom, Fj) {
    FJ::FJController driver;
    ASSERT_TRUE(SerialPort::Instance().Open(port_, driver.GetBaudRate()));
    ASSERT_TRUE(driver.Identify());
    const auto values = [] {
        std::map<std::wstring, uint16_t> out;
        for (const auto name : fjtest::kAllLists)
            for (const auto& entry : FJ::List(name))
                if (const auto address = FJ::TryParseId(entry.key))
                    out[entry.key] = FJ::FjValueTable::Instance().Get(address->group, address->index);
        return out;
    };
    const auto atBackup = values();
    SaveAndLoadBack(Family::FJ, [&] {
        Apply(FJ::kKitchenSinkList, fjtest::Entry(L"0C:23").label,
              fjtest::Shown(L"0C:23") == "2000.0" ? "2500.0" : "2000.0");
        Apply(FJ::kHillTuningList, fjtest::Entry(L"0C:30").label,
              fjtest::Shown(L"0C:30") == "Stop on Slope" ? "1" : "0");
        ASSERT_TRUE(driver.WriteChangedParameters());
    });
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"0C:23", L"0C:30"}));
    ASSERT_TRUE(driver.WriteChangedParameters());
    FJ::FjValueTable::Instance().Clear();
    driver.ReadAll();
    EXPECT_EQ(values(), atBackup);
}

TEST_F(BackupRoundTripCom, Tercel) {
    Tercel::TercelController driver;
    ASSERT_TRUE(SerialPort::Instance().Open(port_, driver.GetBaudRate()));
    ASSERT_TRUE(driver.Identify());
    const auto atBackup = Tercel::Registers();
    SaveAndLoadBack(Family::Tercel, [&] {
        const auto& amps = terceltest::Entry(Tercel::kCurrentLimitList, L"3140");
        const auto& seconds = terceltest::Entry(Tercel::kAccelerationMode0List, L"2604");
        Apply(Tercel::kCurrentLimitList, amps.label, amps.getter(amps.owner) == "100.0" ? "120.0" : "100.0");
        Apply(Tercel::kAccelerationMode0List, seconds.label,
              seconds.getter(seconds.owner) == "2.5" ? "3.5" : "2.5");
        ASSERT_TRUE(driver.WriteDirtyRegisters());
    });
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"2604", L"3140"}));
    ASSERT_TRUE(driver.WriteDirtyRegisters());
    Tercel::Registers().clear();
    driver.ReadAll();
    EXPECT_EQ(Tercel::Registers(), atBackup);
}

}  // namespace
