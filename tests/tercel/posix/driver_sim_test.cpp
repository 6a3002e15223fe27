// The driver against the simulated controller on a pseudo-terminal.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

#include "core/log.h"
#include "core/param_entry.h"
#include "core/prompter.h"
#include "serial/serial_port.h"
#include "sim/state_text.h"
#include "tercel/exchange.h"
#include "tercel/get_info.h"
#include "tercel/speed_control.h"
#include "tercel/tercel_controller.h"
#include "tests/support/families.h"
#include "tests/support/log_capture.h"
#include "tests/support/posix/sim_process.h"
#include "tests/support/temp_dir.h"
#include "tests/tercel/test_support.h"

namespace {

using terceltest::Shown;
using testing::ElementsAre;

// Pauses pass at once and are recorded; a test may act on one (as a controller coming up would).
class RecordingPrompter final : public Prompter {
public:
    RecordingPrompter() : previous_(SetPrompter(this)) {}
    ~RecordingPrompter() override { SetPrompter(previous_); }
    void ShowMessage(const std::wstring&, const std::wstring&, MessageIcon) override {}
    bool Confirm(const std::wstring&, const std::wstring&) override { return false; }
    std::optional<std::filesystem::path> ChooseOpenFile(const FileDialogRequest&) override { return {}; }
    std::optional<std::filesystem::path> ChooseSaveFile(const FileDialogRequest&) override { return {}; }
    void Pause(uint32_t milliseconds) override {
        pauses.push_back(milliseconds);
        if (onPause) onPause(pauses.size());
    }

    std::vector<uint32_t> pauses;
    std::function<void(size_t)> onPause;

private:
    Prompter* previous_;
};

class TercelDriverSim : public testing::Test {
protected:
    void SetUp() override { testsupport::ResetFamilies(); }
    void TearDown() override {
        SetStatusListener({});
        SerialPort::Instance().Close();
        testsupport::ResetFamilies();
    }
    std::unique_ptr<testsupport::SimProcess> Connect(const std::vector<std::string>& options = {}) {
        auto simulator = std::make_unique<testsupport::SimProcess>("Tercel", dir_.Path(), options);
        EXPECT_TRUE(simulator->Ready());
        EXPECT_TRUE(SerialPort::Instance().Open(simulator->PortName(), driver_.GetBaudRate()));
        return simulator;
    }
    static std::map<std::string, sim::Bytes> State(testsupport::SimProcess& simulator) {
        simulator.Stop();
        return sim::BlocksFromText(testsupport::ReadFileBytes(simulator.StatePath())).value();
    }
    static std::vector<std::string> SentWrites(const testsupport::LogCapture& log) {
        std::vector<std::string> frames;
        for (const auto& line : log.Messages())
            if (line.rfind("[TX] 0x2B 0x05 ", 0) == 0) frames.push_back(line);
        return frames;
    }

    testsupport::TempDir dir_;
    RecordingPrompter prompter_;
    Tercel::TercelController driver_;
};

TEST_F(TercelDriverSim, IdentifyReadsEveryBlock) {
    auto simulator = Connect();
    std::vector<std::wstring> statuses;
    SetStatusListener([&](const std::wstring& status) { statuses.push_back(status); });
    testsupport::LogCapture log;
    ASSERT_TRUE(driver_.Identify());
    EXPECT_TRUE(prompter_.pauses.empty());
    EXPECT_THAT(statuses, ElementsAre(L"Reading Tercel Config", L"Reading Tercel Drive Info",
                                      L"Reading Tercel Motor", L"Reading Tercel Speed Control",
                                      L"Reading Tercel Vehicle", L"Tercel Controller"));
    EXPECT_EQ(Shown(Tercel::kIdentityList, L"desc"), "TERCEL SIM 48V 450A");
    EXPECT_EQ(Shown(Tercel::kIdentityList, L"FirmwareVersion"), "2.7");
    EXPECT_EQ(Shown(Tercel::kConfigList, L"6"), "100");
    EXPECT_EQ(Shown(Tercel::kConfigList, L"26"), "450");
    EXPECT_EQ(Shown(Tercel::kDriveInfoList, L"122"), "33042");  // 0x8112: its high byte ends no answer early
    EXPECT_EQ(Shown(Tercel::kDriveInfoList, L"124"), "7");
    EXPECT_EQ(Shown(Tercel::kSpeedLimitList, L"2878"), "6500");
    EXPECT_EQ(Shown(Tercel::kSpeedLimitList, L"2754"), "25.5");
    EXPECT_EQ(Shown(Tercel::kCurrentLimitList, L"3140"), "400.0");
    EXPECT_EQ(Shown(Tercel::kVehicleList, L"2430"), "1");
    EXPECT_EQ(Shown(Tercel::kVehicleList, L"3362"), "250K");
    EXPECT_EQ(Tercel::ShownAccelerationList(), &Tercel::List(Tercel::kAccelerationMode1List));
    EXPECT_TRUE(Tercel::List(Tercel::kMotorList).empty());
    // The identity request, then 12 + 8 + 1 + 30 + 4 register reads.
    int sent = 0;
    for (const auto& line : log.Messages()) sent += line.rfind("[TX] 0x2B ", 0) == 0;
    EXPECT_EQ(sent, 56);
    EXPECT_TRUE(DirtyKeys().empty());
}

TEST_F(TercelDriverSim, IdentifiesAtTheThirdAttempt) {
    auto simulator = std::make_unique<testsupport::SimProcess>("Tercel", dir_.Path());
    ASSERT_TRUE(simulator->Ready());
    // At the wrong rate the controller hears only noise; the line is put right during the second pause.
    ASSERT_TRUE(SerialPort::Instance().Open(simulator->PortName(), 19200));
    prompter_.onPause = [&](size_t count) {
        if (count == 2) SerialPort::Instance().Open(simulator->PortName(), driver_.GetBaudRate());
    };
    ASSERT_TRUE(driver_.Identify());
    EXPECT_EQ(prompter_.pauses, (std::vector<uint32_t>{100, 100}));
    EXPECT_EQ(Shown(Tercel::kSpeedLimitList, L"2878"), "6500");
}

TEST_F(TercelDriverSim, WritesDirtyRegistersInKeyTextOrder) {
    auto simulator = Connect();
    ASSERT_TRUE(driver_.Identify());
    ASSERT_TRUE(
        ApplyParamValue(Tercel::List(Tercel::kSpeedLimitList), "2.01.09 : Motor Maximum RPM", "6000"));
    DirtyKeys().insert(L"600");
    testsupport::LogCapture log;
    // Register 600, which the controller does not have, is refused and stays changed.
    EXPECT_EQ(driver_.WriteDirtyRegisters().notConfirmed, std::vector<std::wstring>{L"600"});
    // 6000 = 0x1770 into 0x0B3E, then register 600 = 0x0258.
    EXPECT_THAT(SentWrites(log), ElementsAre("[TX] 0x2B 0x05 0x07 0x02 0x3E 0x0B 0x00 0x00 0x70 0x17 0x22 ",
                                             "[TX] 0x2B 0x05 0x07 0x02 0x58 0x02 0x00 0x00 0x00 0x00 0x98 "));
    EXPECT_TRUE(log.Contains("[RX] 0x2B 0x00 0x00 "));
    EXPECT_TRUE(log.Contains("[RX] 0x2B 0x80 0x80 "));
    EXPECT_EQ(prompter_.pauses, (std::vector<uint32_t>{100, 100}));
    EXPECT_EQ(DirtyKeys(), DirtyKeySet{L"600"});
    EXPECT_EQ(State(*simulator).at("2878"), (sim::Bytes{0x17, 0x70}));
}

TEST_F(TercelDriverSim, LoweredMotorMaximumIsWrittenWithTheForwardSpeed) {
    auto simulator = Connect();
    ASSERT_TRUE(driver_.Identify());
    auto edit = [&](std::string_view list, const char* label, const char* value) {
        ASSERT_TRUE(ApplyParamValue(Tercel::List(list), label, value));
        for (const auto& entry : Tercel::List(list))
            if (text::WideToUtf8(entry.label) == label) driver_.OnParamEdited(entry.key);
    };
    edit(Tercel::kMotorSpeedList, "6.01.01 : High Speed - Forward Max RPM", "5000");
    edit(Tercel::kSpeedLimitList, "2.01.09 : Motor Maximum RPM", "4000");
    EXPECT_EQ(Tercel::Registers()[2586], 4000);
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"2586", L"2878"}));
    testsupport::LogCapture log;
    EXPECT_TRUE(driver_.WriteDirtyRegisters().AllConfirmed());
    EXPECT_THAT(SentWrites(log), ElementsAre("[TX] 0x2B 0x05 0x07 0x02 0x1A 0x0A 0x00 0x00 0xA0 0x0F 0x1F ",
                                             "[TX] 0x2B 0x05 0x07 0x02 0x3E 0x0B 0x00 0x00 0xA0 0x0F 0xFA "));
    const auto state = State(*simulator);
    EXPECT_EQ(state.at("2586"), (sim::Bytes{0x0F, 0xA0}));
    EXPECT_EQ(state.at("2878"), (sim::Bytes{0x0F, 0xA0}));
}

TEST_F(TercelDriverSim, ImportOfTheValuesReadAddsNoDirtyKey) {
    auto simulator = Connect();
    ASSERT_TRUE(driver_.Identify());
    std::string text = "[Data]\n";
    const auto records = driver_.ExportRecords(terceltest::TuningPageLists());
    for (size_t i = 0; i < records.size(); ++i) text += "d" + std::to_string(i) + "=" + records[i] + "\n";
    testsupport::WriteFileBytes(dir_ / "backup.vtdata", text);
    EXPECT_TRUE(driver_.LoadBackup(dir_ / "backup.vtdata"));
    EXPECT_TRUE(DirtyKeys().empty());
}

// A late answer left on the line would be taken for the next register's; it is thrown away first.
TEST_F(TercelDriverSim, DiscardsAStaleAnswerBeforeTheNextRequest) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const std::string device = ptsname(master);
    const int slave = open(device.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    ASSERT_TRUE(SerialPort::Instance().Open(device, driver_.GetBaudRate()));

    const uint8_t stale[] = {0x2B, 0x00, 0xAA, 0xAA, 0x00};
    ASSERT_EQ(write(master, stale, sizeof stale), static_cast<ssize_t>(sizeof stale));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::thread controller([master] {
        // Answers the read of register 2 with 10 once the whole request is in.
        size_t received = 0;
        while (received < 9) {
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 2000) <= 0) return;
            uint8_t buffer[16];
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n <= 0) return;
            received += static_cast<size_t>(n);
        }
        const uint8_t answer[] = {0x2B, 0x00, 0x0A, 0x00, 0xF6};
        (void)!write(master, answer, sizeof answer);
    });
    const uint16_t registers[] = {2};
    Tercel::ReadRegisters(registers, "Config");
    controller.join();
    EXPECT_EQ(Tercel::Registers()[2], 10);
    SerialPort::Instance().Close();
    close(slave);
    close(master);
}

}  // namespace
