#include "app/cards/connection_model.h"

#include <algorithm>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/log.h"
#include "core/param_registry.h"
#include "session/family_table.h"
#include "session/session.h"
#include "tests/serial/fake_serial_backend.h"
#include "tests/support/log_capture.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

// A driver with the family's name and rate that identifies only when its family is on the wire.
class FakeDriver final : public ControllerInterface {
public:
    FakeDriver(Family of, bool answers) : ops_(session::Ops(of)), answers_(answers) {}
    std::string GetName() const override { return ops_.name; }
    bool Identify() override { return answers_; }
    uint32_t GetBaudRate() const override { return ops_.baudRate; }

private:
    const session::FamilyOps& ops_;
    bool answers_;
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
    ConnectionModelTest()
        : view(rig.events),
          model(
              rig.port, [this] { return ports; },
              [this](Family family) { return std::make_shared<FakeDriver>(family, family == attached); }) {
        session::Current() = session::Session{};
        Settings() = session::Settings{false, false, false, false, false};
        DirtyKeys().clear();
        SetStatusListener([this](const std::wstring& text) {
            rig.events.push_back("status " + std::string(text.begin(), text.end()));
        });
        model.AttachView(&view);
    }
    ~ConnectionModelTest() override {
        SetStatusListener(nullptr);
        session::Current() = session::Session{};
        DirtyKeys().clear();
    }
    static session::Settings& Settings() { return session::Current().settings; }

    // The ports listed, with the rig's record started afresh.
    void ShowPage() {
        model.OnControlsCreated();
        rig.events.clear();
    }

    serialtest::FakePortRig rig;
    testsupport::LogCapture log;
    Family attached = Family::None;
    FakeView view;
    std::vector<SerialPortInfo> ports = kOnePort;
    app::ConnectionModel model;
};

TEST_F(ConnectionModelTest, OnlyTercelEnabledFindsTercel) {
    Settings().probeTercel = true;
    attached = Family::Tercel;
    ShowPage();

    model.ConnectOrDisconnect();

    EXPECT_THAT(Steps(rig.events),
                ElementsAre("open COM4", "status COM4", "pause 1000", "status Probing Controller for Tercel",
                            "pause 1000", "status Detected Controller: Tercel", "pause 1000", "post"));
    EXPECT_THAT(rig.events, testing::Contains("line 7 38400"));
    EXPECT_THAT(view.posted, ElementsAre(std::pair{session::Ops(Family::Tercel).eventCode, true}));
    EXPECT_TRUE(session::Current().connected);
    EXPECT_EQ(session::ConnectedFamily(), Family::Tercel);
    EXPECT_EQ(session::Current().controllerName, "Tercel");
    EXPECT_EQ(view.statusText1, L"Connected");
    EXPECT_TRUE(rig.port.IsOpen());
    EXPECT_FALSE(view.listEnabled);
    EXPECT_TRUE(view.buttonEnabled && view.buttonReadsDisconnect);
}

TEST_F(ConnectionModelTest, AllEnabledTriesFjAndEv48400cBeforeTercel) {
    Settings() = session::Settings{};
    attached = Family::Tercel;
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
    EXPECT_EQ(session::ConnectedFamily(), Family::Tercel);
    const auto messages = log.Messages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "COM port closed"), 2);
}

TEST_F(ConnectionModelTest, NoFamilyEnabledFailsAtOnce) {
    ShowPage();

    model.ConnectOrDisconnect();

    EXPECT_THAT(rig.events, ElementsAre("status Failed to Identify controller", "pause 1000"));
    EXPECT_FALSE(session::Current().connected);
    EXPECT_TRUE(view.posted.empty());
    EXPECT_EQ(view.statusText1, L"Not Connected");
    EXPECT_TRUE(view.listEnabled);
    EXPECT_TRUE(view.buttonEnabled && !view.buttonReadsDisconnect);
}

TEST_F(ConnectionModelTest, PortThatWillNotOpenFailsOncePerFamily) {
    Settings() = session::Settings{};
    attached = Family::FJ;
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
    EXPECT_FALSE(session::Current().connected);
    EXPECT_EQ(session::ConnectedFamily(), Family::None);
}

TEST_F(ConnectionModelTest, DisconnectPostsTheCodeOfTheConnectionAndClearsIt) {
    Settings() = session::Settings{};
    ShowPage();
    for (const session::FamilyOps* ops : session::Families()) {
        SCOPED_TRACE(ops->name);
        attached = ops->family;
        view.posted.clear();
        model.ConnectOrDisconnect();
        DirtyKeys().insert(L"1");
        log.Clear();

        model.ConnectOrDisconnect();

        EXPECT_THAT(view.posted,
                    ElementsAre(std::pair{ops->eventCode, true}, std::pair{ops->eventCode, false}));
        EXPECT_FALSE(session::Current().connected);
        EXPECT_EQ(session::ConnectedFamily(), Family::None);
        EXPECT_TRUE(DirtyKeys().empty());
        EXPECT_EQ(session::Current().controllerName, "");
        EXPECT_EQ(view.statusText1, L"Not Connected");
        EXPECT_TRUE(view.listEnabled);
        EXPECT_TRUE(view.buttonEnabled && !view.buttonReadsDisconnect);
    }
}

TEST_F(ConnectionModelTest, NewConnectionStartsWithoutEarlierEdits) {
    Settings().probeEv48400c = true;
    attached = Family::EV48400C;
    DirtyKeys().insert(L"MaxSpeed");
    ShowPage();

    model.ConnectOrDisconnect();

    EXPECT_EQ(session::ConnectedFamily(), Family::EV48400C);
    EXPECT_TRUE(DirtyKeys().empty());
}

TEST_F(ConnectionModelTest, EmptyListLeavesDisconnectAvailableWhileConnected) {
    Settings().probeFj = true;
    attached = Family::FJ;
    ShowPage();
    model.ConnectOrDisconnect();
    ports.clear();

    model.RefreshPorts();

    EXPECT_TRUE(view.buttonEnabled && view.buttonReadsDisconnect);
    model.ConnectOrDisconnect();
    EXPECT_FALSE(session::Current().connected);
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
