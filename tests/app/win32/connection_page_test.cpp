// The connection page end to end under Wine: the real window, the real drivers and a simulated
// controller of each family behind a COM port.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "app/app_ids.h"
#include "app/app_state.h"
#include "app/cards/comm_port_select_card.h"
#include "session/family_table.h"
#include "session/session.h"
#include "tests/app/win32/gui_harness.h"
#include "tests/support/log_capture.h"

namespace {

using testing::ElementsAre;
using testsupport::GuiHarness;

struct FamilyCase {
    const char* portVariable;
    const char* probeKey;
    const wchar_t* name;
    const char* narrowName;
    const wchar_t* controllerStatus;  // what the tuning page shows once connected
};

// The simulated EV48-400-C reports the D5 model.
constexpr FamilyCase kFamilies[] = {
    {"VANTREL_TEST_FJ_PORT", "FJ", L"FJ", "FJ", L"FJ Controller"},
    {"VANTREL_TEST_EV48400C_PORT", "EV48-400-C", L"EV48-400-C", "EV48-400-C", L"EV48-400C D5 Controller"},
    {"VANTREL_TEST_TERCEL_PORT", "Tercel", L"Tercel", "Tercel", L"Tercel Controller"},
};

std::string PortOf(const FamilyCase& family) {
    const char* port = std::getenv(family.portVariable);
    return port ? port : "";
}

std::vector<std::wstring> ListItems(HWND list) {
    std::vector<std::wstring> items;
    const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items.emplace_back(text);
    }
    return items;
}

// Picks the list entry of the port, as a click on it would.
bool SelectPort(GuiHarness& gui, const std::string& port) {
    const std::wstring suffix = L"(" + std::wstring(port.begin(), port.end()) + L")";
    const auto items = ListItems(gui.Control(app::kIdPortList));
    const auto it = std::find_if(items.begin(), items.end(),
                                 [&](const std::wstring& item) { return item.ends_with(suffix); });
    if (it == items.end()) return false;
    SendMessageW(gui.Control(app::kIdPortList), LB_SETCURSEL, static_cast<WPARAM>(it - items.begin()), 0);
    return true;
}

// Only the one family enabled, so each case probes one driver against its own simulator.
std::string SettingsFor(const FamilyCase& only) {
    std::string text = "[Probe]\n";
    for (const auto& family : kFamilies)
        text += std::string(family.probeKey) + "=" + (&family == &only ? "true" : "false") + "\n";
    return text;
}

bool Precedes(const std::vector<std::string>& lines, const std::vector<std::string>& wanted) {
    auto at = lines.begin();
    for (const auto& line : wanted) {
        at = std::find(at, lines.end(), line);
        if (at == lines.end()) return false;
        ++at;
    }
    return true;
}

TEST(ConnectionPage, ShowsTheSimulatorsPortsAndItsControls) {
    GuiHarness gui;
    gui.Start();
    gui.Click(app::kIdAgree);

    // The Tercel simulator's port is listed as a CH340 cable, so it is chosen over the two before it.
    const auto items = ListItems(gui.Control(app::kIdPortList));
    const std::wstring names[] = {L"VantrelSim7 (COM7)", L"VantrelSim8 (COM8)", L"CH340-VantrelSim9 (COM9)"};
    for (const auto& name : names)
        EXPECT_NE(std::find(items.begin(), items.end(), name), items.end()) << name;
    const auto selected = SendMessageW(gui.Control(app::kIdPortList), LB_GETCURSEL, 0, 0);
    ASSERT_GE(selected, 0);
    EXPECT_EQ(items[static_cast<size_t>(selected)], names[2]);
    EXPECT_EQ(gui.ControlText(app::kIdConnect), L"Connect");
    EXPECT_TRUE(gui.IsEnabled(app::kIdConnect));
    EXPECT_EQ(gui.ControlText(app::kIdRefreshPorts), L"Refresh");
    EXPECT_TRUE(gui.IsEnabled(app::kIdPortList));
    EXPECT_EQ(gui.StatusText1(), L"Not Connected");
    EXPECT_THAT(gui.RichText(), testing::HasSubstr(L"plugging and unplugging your cable"));
}

TEST(ConnectionPage, ConnectsToEachFamilyAndDisconnects) {
    for (const auto& family : kFamilies) {
        SCOPED_TRACE(family.narrowName);
        GuiHarness gui;
        gui.WriteSettingsFile(SettingsFor(family));
        gui.Start();
        gui.Click(app::kIdAgree);
        const std::string port = PortOf(family);
        ASSERT_TRUE(SelectPort(gui, port)) << port;
        testsupport::LogCapture log;

        gui.Click(app::kIdConnect);

        EXPECT_TRUE(
            Precedes(log.Messages(), {port, std::string("Probing Controller for ") + family.narrowName,
                                      std::string("Detected Controller: ") + family.narrowName}));
        EXPECT_EQ(gui.Dashboard().CurrentKey(), app::kKeyTuning);
        EXPECT_EQ(gui.NavLabels().front(), "Tuning");
        EXPECT_EQ(gui.StatusText1(), L"Connected");
        // The tuning page, opened by the connection, names the family on the status line.
        EXPECT_EQ(gui.StatusText2(), family.controllerStatus);

        gui.ClickNavigation("Communications");
        EXPECT_EQ(gui.ControlText(app::kIdConnect), L"Disconnect");
        EXPECT_FALSE(gui.IsEnabled(app::kIdPortList));
        gui.Click(app::kIdConnect);

        EXPECT_THAT(gui.NavLabels(), ElementsAre("Communications", "Settings", "About Vantrel"));
        EXPECT_EQ(gui.Dashboard().CurrentKey(), app::kKeyComms);
        EXPECT_EQ(gui.StatusText1(), L"Not Connected");
        EXPECT_FALSE(session::Current().connected);
        EXPECT_EQ(gui.ControlText(app::kIdConnect), L"Connect");
        EXPECT_TRUE(gui.IsEnabled(app::kIdPortList));
        EXPECT_TRUE(log.Contains("COM port closed"));
    }
}

TEST(ConnectionPage, WrongFamiliesAreClosedBeforeTheRightOneAnswers) {
    GuiHarness gui;
    gui.Start();
    gui.Click(app::kIdAgree);
    const std::string port = PortOf(kFamilies[2]);
    ASSERT_TRUE(SelectPort(gui, port));
    testsupport::LogCapture log;

    gui.Click(app::kIdConnect);

    EXPECT_TRUE(Precedes(log.Messages(), {"Probing Controller for FJ", "Controller not responding for FJ",
                                          "Closing port " + port, "Probing Controller for EV48-400-C",
                                          "Controller not responding for EV48-400-C", "Closing port " + port,
                                          "Probing Controller for Tercel", "Detected Controller: Tercel"}));
    EXPECT_EQ(gui.Dashboard().CurrentKey(), app::kKeyTuning);
    EXPECT_TRUE(session::Current().family == Family::Tercel);
    gui.Finish();
}

// Pauses that really wait, over the harness's instant ones.
class SleepingPrompter final : public Prompter {
public:
    SleepingPrompter() : previous_(SetPrompter(this)) {}
    ~SleepingPrompter() override { SetPrompter(previous_); }
    void ShowMessage(const std::wstring&, const std::wstring&, MessageIcon) override {}
    bool Confirm(const std::wstring&, const std::wstring&) override { return true; }
    std::optional<std::filesystem::path> ChooseOpenFile(const FileDialogRequest&) override { return {}; }
    std::optional<std::filesystem::path> ChooseSaveFile(const FileDialogRequest&) override { return {}; }
    void Pause(uint32_t milliseconds) override { Sleep(milliseconds); }

private:
    Prompter* previous_;
};

TEST(ConnectionPage, ProbeTakesItsPausesInRealTime) {
    GuiHarness gui;
    gui.WriteSettingsFile(SettingsFor(kFamilies[2]));
    gui.Start();
    gui.Click(app::kIdAgree);
    ASSERT_TRUE(SelectPort(gui, PortOf(kFamilies[2])));
    SleepingPrompter sleeping;

    const ULONGLONG start = GetTickCount64();
    gui.Click(app::kIdConnect);
    const ULONGLONG elapsed = GetTickCount64() - start;

    // Port name, probing, detected: a second after each before the tuning page comes.
    EXPECT_GE(elapsed, 3000u);
    EXPECT_EQ(gui.Dashboard().CurrentKey(), app::kKeyTuning);
}

}  // namespace

namespace {

TEST(ConnectionPage, LeavingThePageTakesItsControlsAway) {
    GuiHarness gui;
    gui.Start();
    gui.Click(app::kIdAgree);
    gui.ClickNavigation("About Vantrel");

    for (const int id : {app::kIdPortList, app::kIdConnect, app::kIdRefreshPorts})
        EXPECT_EQ(gui.Control(id), nullptr) << id;
    EXPECT_THAT(gui.RichText(), testing::HasSubstr(L"Contact us at"));
}

}  // namespace
