// A backup put back onto a simulated controller: read, save, change values on the controller, load the
// backup and write. The controller must then hold exactly what it held when the backup was made, and
// only what was changed may be marked for writing.
#include <algorithm>
#include <functional>
#include <map>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/param_registry.h"
#include "core/text.h"
#include "datafiles/data_file.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/ev48400c_driver.h"
#include "fj/fj_controller.h"
#include "fj/parameter_table.h"
#include "fj/value_table.h"
#include "serial/serial_port.h"
#include "sim/state_text.h"
#include "tercel/entry_lists.h"
#include "tercel/tercel_controller.h"
#include "tests/ev48400c/test_frames.h"
#include "tests/fj/fj_test_support.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/posix/sim_process.h"
#include "tests/support/temp_dir.h"
#include "tests/tercel/test_support.h"

namespace {

using datafiles::Family;
using State = std::map<std::string, sim::Bytes>;

class BackupRoundTrip : public testing::Test {
protected:
    void SetUp() override { ResetAll(); }
    void TearDown() override {
        SerialPort::Instance().Close();
        ResetAll();
    }
    static void ResetAll() {
        ev48test::ResetFamily();
        fjtest::ResetFamily();
        terceltest::ResetAll();
    }
    std::unique_ptr<testsupport::SimProcess> Connect(const std::string& family, uint32_t baudRate) {
        auto simulator = std::make_unique<testsupport::SimProcess>(family, dir_.Path());
        EXPECT_TRUE(simulator->Ready());
        EXPECT_TRUE(SerialPort::Instance().Open(simulator->PortName(), baudRate));
        return simulator;
    }
    static State StateOf(const testsupport::SimProcess& simulator) {
        return sim::BlocksFromText(testsupport::ReadFileBytes(simulator.StatePath())).value();
    }
    datafiles::DataFileContext Context(Family family) const {
        datafiles::DataFileContext context;
        context.family = family;
        context.executableDirectory = dir_.Path();
        return context;
    }
    void SaveAndLoadBack(Family family, const std::function<void()>& change) {
        prompter_.saveFile = dir_ / "backup.vtdata";
        ASSERT_TRUE(datafiles::SaveBackup(Context(family)));
        change();
        DirtyKeys().clear();
        prompter_.openFile = dir_ / "backup.vtdata";
        ASSERT_TRUE(datafiles::LoadDataFile(Context(family)));
    }
    // The key of the entry with the label in the lists, so a change can name what it expects marked.
    static std::wstring Apply(std::initializer_list<std::string_view> lists, const std::string& label,
                              const std::string& value) {
        for (const auto name : lists) {
            auto& list = ParamRegistry::Instance().List(name);
            for (const auto& entry : list)
                if (entry.label == text::Utf8ToWide(label)) {
                    EXPECT_TRUE(ApplyParamValue(list, label, value)) << label;
                    return entry.key;
                }
        }
        ADD_FAILURE() << "no entry " << label;
        return {};
    }

    testsupport::TempDir dir_;
    testsupport::FakePrompter prompter_;
};

TEST_F(BackupRoundTrip, Ev48400cEveryGroup) {
    EV48400C::EV48400C driver;
    auto simulator = Connect("EV48-400-C", driver.GetBaudRate());
    ASSERT_TRUE(driver.Identify());
    const State atBackup = StateOf(*simulator);
    DirtyKeySet changed;
    SaveAndLoadBack(Family::EV48400C, [&] {
        using namespace EV48400C;
        // One value of every tunable group, changed on the controller and read back.
        const std::string_view lists[] = {kMotorSpeedList,   kGearSpeedList,   kAccelerationList,
                                          kLowSideDriveList, kHillControlList, kTemperatureList,
                                          kMileageList};
        // The first editable entry that takes its minimum or its maximum as a change (a value shown by
        // name may already be the minimum's number).
        const auto changeOne = [&](EntryList& list) {
            for (const auto& entry : list) {
                if (entry.readOnly) continue;
                const std::string before = entry.getter(entry.owner);
                for (const auto& limit : {entry.minValue, entry.maxValue(entry.owner)}) {
                    if (!ApplyParamValue(list, text::WideToUtf8(entry.label), text::WideToUtf8(limit)))
                        continue;
                    if (entry.getter(entry.owner) != before) return entry.key;
                }
            }
            return std::wstring();
        };
        for (const auto name : lists) {
            const std::wstring key = changeOne(List(name));
            ASSERT_FALSE(key.empty()) << name;
            changed.insert(key);
        }
        ASSERT_TRUE(driver.WriteAll());
        ASSERT_NE(StateOf(*simulator), atBackup);
    });
    EXPECT_EQ(DirtyKeys(), changed);
    ASSERT_TRUE(driver.WriteAll());
    simulator->Stop();
    EXPECT_EQ(StateOf(*simulator), atBackup);
}

TEST_F(BackupRoundTrip, FjScaledAndNamedValues) {
    FJ::FJController driver;
    auto simulator = Connect("FJ", driver.GetBaudRate());
    ASSERT_TRUE(driver.Identify());
    const State atBackup = StateOf(*simulator);
    DirtyKeySet changed;
    SaveAndLoadBack(Family::FJ, [&] {
        using namespace FJ;
        const auto label = [](const wchar_t* key) { return text::WideToUtf8(fjtest::Entry(key).label); };
        const std::string scaled = fjtest::Shown(L"0C:23") == "2000.0" ? "2500.0" : "2000.0";
        const std::string named = fjtest::Shown(L"0C:30") == "Stop on Slope" ? "1" : "0";
        changed.insert(Apply({kKitchenSinkList}, label(L"0C:23"), scaled));
        changed.insert(Apply({kHillTuningList}, label(L"0C:30"), named));
        changed.insert(Apply({kSpeedTuningList}, label(L"0D:1F"), "1234"));
        ASSERT_TRUE(driver.WriteChangedParameters());
        ASSERT_NE(StateOf(*simulator), atBackup);
    });
    EXPECT_EQ(DirtyKeys(), changed);
    ASSERT_TRUE(driver.WriteChangedParameters());
    simulator->Stop();
    EXPECT_EQ(StateOf(*simulator), atBackup);
}

TEST_F(BackupRoundTrip, TercelAmpsAndThousandths) {
    Tercel::TercelController driver;
    auto simulator = Connect("Tercel", driver.GetBaudRate());
    ASSERT_TRUE(driver.Identify());
    const State atBackup = StateOf(*simulator);
    DirtyKeySet changed;
    SaveAndLoadBack(Family::Tercel, [&] {
        using namespace Tercel;
        const auto& amps = terceltest::Entry(kCurrentLimitList, L"3140");
        const auto& seconds = terceltest::Entry(kAccelerationMode0List, L"2604");
        const std::string newAmps = amps.getter(amps.owner) == "100.0" ? "120.0" : "100.0";
        const std::string newSeconds = seconds.getter(seconds.owner) == "2.5" ? "3.5" : "2.5";
        changed.insert(Apply({kCurrentLimitList}, text::WideToUtf8(amps.label), newAmps));
        changed.insert(Apply({kAccelerationMode0List, kAccelerationMode1List},
                             text::WideToUtf8(seconds.label), newSeconds));
        ASSERT_TRUE(driver.WriteDirtyRegisters());
        ASSERT_NE(StateOf(*simulator), atBackup);
    });
    EXPECT_EQ(DirtyKeys(), changed);
    ASSERT_TRUE(driver.WriteDirtyRegisters());
    simulator->Stop();
    EXPECT_EQ(StateOf(*simulator), atBackup);
}

}  // namespace
