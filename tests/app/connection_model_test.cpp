#include "app/cards/connection_model.h"

#include <algorithm>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/app_ids.h"
#include "app/app_state.h"
#include "core/log.h"
#include "core/param_registry.h"
#include "tests/serial/fake_serial_backend.h"
#include "tests/support/log_capture.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

using app::Family;

class FakeDriver final : public ControllerInterface {
public:
    FakeDriver(Family of, std::string name, uint32_t baud, bool answers)
        : family(of), name_(std::move(name)), baud_(baud), answers_(answers) {}
    std::string GetName() const override { return name_; }
    bool Identify() override { return answers_; }
    uint32_t GetBaudRate() const override { return baud_; }
    Family family;

private:
    std::string name_;
    uint32_t baud_;
    bool answers_;
};

// The controller on the wire answers only its own family's driver.
class FakeDrivers final : public app::FamilyDrivers {
public:
    Family attached = Family::None;
    std::shared_ptr<ControllerInterface> Make(Family family) override {
        const bool answers = family == attached;
        switch (family) {
            case Family::Fj:
                return std::make_shared<FakeDriver>(family, "FJ", 19200, answers);
            case Family::Ev48400c:
                return std::make_shared<FakeDriver>(family, "EV48-400-C", 115200, answers);
            case Family::Tercel:
                return std::make_shared<FakeDriver>(family, "Tercel", 38400, answers);
            case Family::None:
                break;
        }
        return nullptr;
    }
    Family FamilyOf(const ControllerInterface& driver) override {
        return dynamic_cast<const FakeDriver&>(driver).family;
    }
};

// Writes what the page is told into the rig's one event stream, beside opens, closes and pauses.
class FakeView final : public app::ConnectionView {
public:
    explicit FakeView(std::vector<std::string>& events) : events_(events) {}
    void ShowPorts(const std::vector<SerialPortInfo>& ports, int selected) override {
        shownPorts = ports;
        shownSelection = selected;
    }
    int CurrentSelection() const override { return shownSelection; }
    void EnablePortList(bool enabled) override { listEnabled = enabled; }
    void SetConnectButton(bool enabled, bool disconnect) override {
        buttonEnabled = enabled;
        buttonReadsDisconnect = disconnect;
    }
    void SetStatusText1(const std::wstring& text) override { statusText1 = text; }
    void ReleasePicture() override {}
    void Repaint() override {}
    void PostConnectionEvent(uint32_t familyCode, bool connected) override {
        posted.emplace_back(familyCode, connected);
        events_.push_back("post");
    }
    void BeginWait() override {}
    void EndWait() override {}

    std::vector<SerialPortInfo> shownPorts;
    int shownSelection = -1;
    bool listEnabled = true;
    bool buttonEnabled = false;
    bool buttonReadsDisconnect = false;
    std::wstring statusText1;
    std::vector<std::pair<uint32_t, bool>> posted;

private:
    std::vector<std::string>& events_;
};

// The page's steps: the line settings and time-outs of each open are the serial port's business.
std::vector<std::string> Steps(const std::vector<std::string>& events) {
    std::vector<std::string> steps;
    for (const auto& event : events) {
        if (!event.starts_with("line ") && !event.starts_with("timeouts ") && !event.starts_with("purge "))
            steps.push_back(event);
    }
    return steps;
}

// What was logged, less the empty lines of a cleared status.
std::vector<std::string> Logged(const testsupport::LogCapture& log) {
    std::vector<std::string> lines;
    for (const auto& line : log.Messages()) {
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

const std::vector<SerialPortInfo> kOnePort = {{"COM4", "USB-SERIAL CH340 (COM4)"}};

class ConnectionModelTest : public ::testing::Test {
protected:
    ConnectionModelTest() : view(rig.events), model(drivers, rig.port, [this] { return ports; }) {
        app::App() = app::AppState{};
        app::App().settings.probeFj = false;
        app::App().settings.probeEv48400c = false;
        app::App().settings.probeTercel = false;
        DirtyKeys().clear();
        SetStatusListener([this](const std::wstring& text) {
            rig.events.push_back("status " + std::string(text.begin(), text.end()));
        });
        model.AttachView(&view);
    }
    ~ConnectionModelTest() override {
        SetStatusListener(nullptr);
        app::App() = app::AppState{};
        DirtyKeys().clear();
    }

    // The ports listed, with the rig's record started afresh.
    void ShowPage() {
        model.OnControlsCreated();
        rig.events.clear();
    }

    serialtest::FakePortRig rig;
    testsupport::LogCapture log;
    FakeDrivers drivers;
    FakeView view;
    std::vector<SerialPortInfo> ports = kOnePort;
    app::ConnectionModel model;
};

TEST_F(ConnectionModelTest, OnlyTercelEnabledFindsTercel) {
    app::App().settings.probeTercel = true;
    drivers.attached = Family::Tercel;
    ShowPage();

    model.ConnectOrDisconnect();

    EXPECT_THAT(Steps(rig.events),
                ElementsAre("open COM4", "status COM4", "pause 1000", "status Probing Controller for Tercel",
                            "pause 1000", "status Detected Controller: Tercel", "pause 1000", "post"));
    EXPECT_THAT(rig.events, testing::Contains("line 7 38400"));
    EXPECT_THAT(view.posted, ElementsAre(std::pair{app::kFamilyCodeTercel, true}));
    EXPECT_TRUE(app::App().connected);
    EXPECT_TRUE(app::App().tercelConnected);
    EXPECT_FALSE(app::App().fjConnected || app::App().ev48400cConnected);
    EXPECT_EQ(app::App().controllerName, "Tercel");
    EXPECT_EQ(view.statusText1, L"Connected");
    EXPECT_TRUE(rig.port.IsOpen());
    EXPECT_FALSE(view.listEnabled);
    EXPECT_TRUE(view.buttonEnabled && view.buttonReadsDisconnect);
}

TEST_F(ConnectionModelTest, AllEnabledTriesFjAndEv48400cBeforeTercel) {
    app::App().settings = app::Settings{};
    drivers.attached = Family::Tercel;
    ShowPage();

    model.ConnectOrDisconnect();

    std::vector<std::string> expected;
    // Each open gets the next handle from the fake.
    for (const auto& [name, handle] : {std::pair{"FJ", "7"}, std::pair{"EV48-400-C", "8"}}) {
        const std::vector<std::string> failedFamily = {
            "open COM4",
            "status COM4",
            "pause 1000",
            std::string("status Probing Controller for ") + name,
            "pause 1000",
            "pause 1000",
            std::string("status Controller not responding for ") + name,
            "pause 1000",
            "status Closing port COM4",
            std::string("close ") + handle,
            "pause 1000"};
        expected.insert(expected.end(), failedFamily.begin(), failedFamily.end());
    }
    const std::vector<std::string> tercel = {"open COM4",  "status COM4",
                                             "pause 1000", "status Probing Controller for Tercel",
                                             "pause 1000", "status Detected Controller: Tercel",
                                             "pause 1000", "post"};
    expected.insert(expected.end(), tercel.begin(), tercel.end());
    EXPECT_THAT(Steps(rig.events), ElementsAreArray(expected));
    std::vector<std::string> lineSettings;
    std::copy_if(rig.events.begin(), rig.events.end(), std::back_inserter(lineSettings),
                 [](const std::string& event) { return event.starts_with("line "); });
    EXPECT_THAT(lineSettings, ElementsAre("line 7 19200", "line 8 115200", "line 9 38400"));
    EXPECT_TRUE(app::App().tercelConnected);
    const auto messages = log.Messages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "COM port closed"), 2);
}

TEST_F(ConnectionModelTest, NoFamilyEnabledFailsAtOnce) {
    ShowPage();

    model.ConnectOrDisconnect();

    EXPECT_THAT(rig.events, ElementsAre("status Failed to Identify controller", "pause 1000"));
    EXPECT_FALSE(app::App().connected);
    EXPECT_TRUE(view.posted.empty());
    EXPECT_EQ(view.statusText1, L"Not Connected");
    EXPECT_TRUE(view.listEnabled);
    EXPECT_TRUE(view.buttonEnabled && !view.buttonReadsDisconnect);
}

TEST_F(ConnectionModelTest, PortThatWillNotOpenFailsOncePerFamily) {
    app::App().settings = app::Settings{};
    drivers.attached = Family::Fj;
    for (int i = 0; i < 3; ++i)
        rig.backend->opens.push_back(OpenResult{kInvalidSerialHandle, 2, OpenFailure::NotFound});
    ShowPage();

    model.ConnectOrDisconnect();

    const std::vector<std::string> expected = {"open COM4",
                                               "status Failed to connect to COM4",
                                               "open COM4",
                                               "status Failed to connect to COM4",
                                               "open COM4",
                                               "status Failed to connect to COM4",
                                               "status Failed to Identify controller",
                                               "pause 1000"};
    EXPECT_THAT(rig.events, ElementsAreArray(expected));
    EXPECT_FALSE(app::App().connected);
    EXPECT_FALSE(app::App().fjConnected);
}

TEST_F(ConnectionModelTest, DisconnectPostsTheCodeOfTheConnectionAndClearsIt) {
    const std::pair<Family, uint32_t> cases[] = {{Family::Fj, app::kFamilyCodeFj},
                                                 {Family::Ev48400c, app::kFamilyCodeEv48400c},
                                                 {Family::Tercel, app::kFamilyCodeTercel}};
    app::App().settings = app::Settings{};
    bool extrasCleared = false;
    app::App().clearFamilyExtras = [&extrasCleared] { extrasCleared = true; };
    ShowPage();
    for (const auto& [family, code] : cases) {
        SCOPED_TRACE(code);
        drivers.attached = family;
        view.posted.clear();
        model.ConnectOrDisconnect();
        DirtyKeys().insert(L"1");
        extrasCleared = false;
        log.Clear();

        model.ConnectOrDisconnect();

        EXPECT_THAT(view.posted, ElementsAre(std::pair{code, true}, std::pair{code, false}));
        EXPECT_FALSE(app::App().connected || app::App().fjConnected || app::App().ev48400cConnected ||
                     app::App().tercelConnected);
        EXPECT_TRUE(extrasCleared);
        EXPECT_TRUE(DirtyKeys().empty());
        EXPECT_EQ(app::App().controllerName, "");
        EXPECT_FALSE(rig.port.IsOpen());
        EXPECT_TRUE(log.Contains("COM port closed"));
        EXPECT_EQ(view.statusText1, L"Not Connected");
        EXPECT_TRUE(view.listEnabled);
        EXPECT_TRUE(view.buttonEnabled && !view.buttonReadsDisconnect);
    }
}

TEST_F(ConnectionModelTest, NewConnectionStartsWithoutEarlierEdits) {
    app::App().settings.probeEv48400c = true;
    drivers.attached = Family::Ev48400c;
    DirtyKeys().insert(L"MaxSpeed");
    ShowPage();

    model.ConnectOrDisconnect();

    EXPECT_TRUE(app::App().ev48400cConnected);
    EXPECT_TRUE(DirtyKeys().empty());
}

TEST_F(ConnectionModelTest, EmptyListLeavesDisconnectAvailableWhileConnected) {
    app::App().settings.probeFj = true;
    drivers.attached = Family::Fj;
    ShowPage();
    model.ConnectOrDisconnect();
    ports.clear();

    model.RefreshPorts();

    EXPECT_TRUE(view.buttonEnabled && view.buttonReadsDisconnect);
    model.ConnectOrDisconnect();
    EXPECT_FALSE(app::App().connected);
    EXPECT_FALSE(view.buttonEnabled || view.buttonReadsDisconnect);
}

TEST_F(ConnectionModelTest, AutoSelectsTheCableInEitherOrder) {
    const SerialPortInfo plain{"COM1", "Communications Port (COM1)"};
    const SerialPortInfo cable{"COM5", "USB-SERIAL CH340 (COM5)"};
    const struct {
        std::vector<SerialPortInfo> listed;
        int selected;
    } cases[] = {{{plain, cable}, 1}, {{cable, plain}, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selected);
        ports = c.listed;
        log.Clear();
        ShowPage();
        EXPECT_EQ(view.shownPorts, c.listed);
        EXPECT_EQ(view.shownSelection, c.selected);
        EXPECT_TRUE(view.buttonEnabled);
        EXPECT_THAT(Logged(log), ElementsAre("Auto-selected port: COM5"));
    }
}

TEST_F(ConnectionModelTest, NoPortsLeaveConnectDisabledAndLogNothing) {
    ports.clear();
    ShowPage();

    EXPECT_EQ(view.shownSelection, -1);
    EXPECT_FALSE(view.buttonEnabled);
    EXPECT_TRUE(Logged(log).empty());
    EXPECT_EQ(view.statusText1, L"Not Connected");
}

}  // namespace

namespace {

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(ConnectionHelp, IsTwoCalibriBulletsWithTheWindowsPlacesInBold) {
    const std::string& rtf = app::ConnectionHelpRtf();
    EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
    EXPECT_TRUE(rtf.ends_with("\\par }"));
    EXPECT_TRUE(Has(rtf, "Calibri;"));
    EXPECT_TRUE(Has(rtf, "\\fs24 "));
    size_t bullets = 0;
    for (size_t at = rtf.find("{\\pntext"); at != std::string::npos; at = rtf.find("{\\pntext", at + 1))
        ++bullets;
    EXPECT_EQ(bullets, 2u);
    EXPECT_TRUE(Has(rtf,
                    "If you're not sure what port to use, try plugging and unplugging your cable to see what "
                    "port comes and goes.\\par "));
    EXPECT_TRUE(Has(rtf, "\\b Device Manager\\b0 "));
    EXPECT_TRUE(Has(rtf, "\\b Control Panel\\b0 "));
    EXPECT_TRUE(Has(rtf, "\\b Ports (COM & LPT)\\b0 "));
    EXPECT_TRUE(Has(rtf,
                    "If the cable is not working or shows an error, a driver may be missing or incorrectly "
                    "installed.\\par }"));
}

}  // namespace
