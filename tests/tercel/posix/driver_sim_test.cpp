// The driver against the simulated controller and a scripted line: the answers' check byte, damaged
// answers, and a stale answer left on the line.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <thread>

#include "serial/serial_port.h"
#include "tercel/entry_lists.h"
#include "tercel/exchange.h"
#include "tercel/family_state.h"
#include "tercel/register_entries.h"
#include "tercel/tercel_controller.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/families.h"
#include "tests/support/log_capture.h"
#include "tests/support/posix/scripted_line.h"
#include "tests/support/posix/sim_process.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string_view kLists[] = {Tercel::kIdentityList,          Tercel::kConfigList,
                                   Tercel::kDriveInfoList,         Tercel::kMotorList,
                                   Tercel::kSpeedLimitList,        Tercel::kMotorSpeedList,
                                   Tercel::kCurrentLimitList,      Tercel::kAccelerationMode0List,
                                   Tercel::kAccelerationMode1List, Tercel::kVehicleList};

struct Shown {
    std::string text;
    bool read;
};

std::map<std::wstring, Shown> ShownValues() {
    std::map<std::wstring, Shown> shown;
    for (const auto name : kLists)
        for (const auto& entry : Tercel::List(name))
            shown[entry.key] = {entry.getter(entry.owner), Tercel::EntryWasRead(entry)};
    return shown;
}

size_t Count(const testsupport::LogCapture& log, std::string_view prefix) {
    const auto lines = log.Messages();
    return static_cast<size_t>(std::count_if(lines.begin(), lines.end(),
                                             [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
}

class TercelDriverSim : public testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        SerialPort::Instance().Close();
        testsupport::ResetFamilies();
    }
    // What a controller sealing with the command sum shows after Identify.
    std::map<std::wstring, Shown> Reference() {
        testsupport::TempDir dir;
        testsupport::SimProcess simulator("Tercel", dir.Path());
        EXPECT_TRUE(SerialPort::Instance().Open(simulator.PortName(), driver_.GetBaudRate()));
        EXPECT_TRUE(driver_.Identify());
        SerialPort::Instance().Close();
        return ShownValues();
    }

    testsupport::FakePrompter prompter_;
    Tercel::TercelController driver_;
};

TEST_F(TercelDriverSim, RepeatedAnswersWithAnUnknownCheckByteAreTaken) {
    const auto reference = Reference();
    EXPECT_EQ(reference.at(L"122").text, "33042");  // 0x8112: its high byte ends no answer early
    Reset();
    testsupport::TempDir dir;
    testsupport::SimProcess simulator("Tercel", dir.Path(), {"--tercel-check-byte", "xor"});
    ASSERT_TRUE(SerialPort::Instance().Open(simulator.PortName(), driver_.GetBaudRate()));
    testsupport::LogCapture log;
    ASSERT_TRUE(driver_.Identify());

    const auto shown = ShownValues();
    ASSERT_EQ(shown.size(), reference.size());
    for (const auto& [key, value] : shown) {
        SCOPED_TRACE(text::WideToUtf8(key));
        EXPECT_TRUE(value.read);
        EXPECT_EQ(value.text, reference.at(key).text);
    }
    // The identity, then two answers for each of the 55 registers; the line about it once.
    EXPECT_EQ(Count(log, "[TX] 0x2B "), 1u + 2 * 55);
    EXPECT_EQ(Count(log, "Tercel: the controller's answers carry a check byte we do not recognise"), 1u);
}

// A controller that seals its answers with the command sum has a damaged answer asked for once more,
// never a third time, and the register left unread. One whose check byte is its own is asked three
// times when its answers keep differing, and the register is left unread too.
TEST_F(TercelDriverSim, DamagedAnswersAreLeftUnread) {
    const auto reference = Reference();  // the identity carried the command sum
    Tercel::Marks().registersRead.clear();
    {
        testsupport::TempDir dir;
        testsupport::SimProcess garbling("Tercel", dir.Path(), {"--fault", "garble", "--seed", "7"});
        ASSERT_TRUE(SerialPort::Instance().Open(garbling.PortName(), driver_.GetBaudRate()));
        testsupport::LogCapture log;
        driver_.ReadAll();
        for (const auto& [key, value] : ShownValues()) {
            SCOPED_TRACE(text::WideToUtf8(key));
            uint16_t address = 0;
            if (!Tercel::ParseRegisterKey(key, address)) continue;
            EXPECT_FALSE(value.read);
            EXPECT_EQ(value.text, reference.at(key).text);  // nothing damaged was taken
        }
        EXPECT_EQ(Count(log, "[TX] 0x2B "), 2u * 55);
    }

    Reset();
    testsupport::ScriptedLine line;
    ASSERT_TRUE(line.Ok());
    ASSERT_TRUE(SerialPort::Instance().Open(line.Device(), driver_.GetBaudRate()));
    std::thread controller([&line] {
        for (const uint8_t value : {10, 11, 12}) {  // register 2, its check byte never the sum
            line.Answer(9, {0x2B, 0x00, value, 0x00, 0x00});
            line.Join();
        }
    });
    testsupport::LogCapture log;
    EXPECT_FALSE(Tercel::ReadOneRegister(2, "Config"));
    controller.join();
    EXPECT_FALSE(Tercel::RegisterWasRead(2));
    EXPECT_EQ(Count(log, "[TX] 0x2B "), 3u);
}

// A late answer left on the line would be taken for the next register's; it is thrown away first.
TEST_F(TercelDriverSim, DiscardsAStaleAnswerBeforeTheNextRequest) {
    testsupport::ScriptedLine line;
    ASSERT_TRUE(line.Ok());
    ASSERT_TRUE(SerialPort::Instance().Open(line.Device(), driver_.GetBaudRate()));
    line.Send({0x2B, 0x00, 0xAA, 0xAA, 0x00});
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    line.Answer(9, {0x2B, 0x00, 0x0A, 0x00, 0xF6});  // register 2 holds 10
    const uint16_t registers[] = {2};
    Tercel::ReadRegisters(registers, "Config");
    line.Join();
    EXPECT_EQ(Tercel::Registers()[2], 10);
}

}  // namespace
