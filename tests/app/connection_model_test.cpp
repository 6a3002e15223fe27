// The connection page's model over a scripted port: the probe's order and steps, what a failed
// connect leaves, and what a disconnect clears.
#include "app/cards/connection_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/log.h"
#include "core/param_registry.h"
#include "session/family_table.h"
#include "session/session.h"
#include "tests/serial/fake_serial_backend.h"
#include "tests/support/log_capture.h"

using ::testing::ElementsAre;

namespace {

// A driver with the family's name and rate that identifies only when its family is on the wire. With
// a port to pull, the line takes that port away while the driver reads.
class FakeDriver final : public ControllerInterface {
public:
    FakeDriver(Family of, bool answers, SerialPort* pull)
        : ops_(session::Ops(of)), answers_(answers), pull_(pull) {}
    std::string GetName() const override { return ops_.name; }
    bool Identify() override {
        if (pull_) pull_->Close();
        return answers_;
    }
    uint32_t GetBaudRate() const override { return ops_.baudRate; }

private:
    const session::FamilyOps& ops_;
    bool answers_;
    SerialPort* pull_;
};

class FakeView final : public app::ConnectionView {
public:
    explicit FakeView(std::vector<std::string>& events) : events_(events) {}
    void ShowPorts(const std::vector<SerialPortInfo>&, int selected) override { shownSelection = selected; }
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

    int shownSelection = -1;
    bool listEnabled = true, buttonEnabled = false, buttonReadsDisconnect = false;
    std::wstring statusText1;
    std::vector<std::pair<uint32_t, bool>> posted;

private:
    std::vector<std::string>& events_;
};

// The page's steps, one a line: the serial port's own business (line settings, time-outs, purges) is
// left out, or with lineSettings only the line settings are kept.
std::string Steps(const std::vector<std::string>& events, bool lineSettings = false) {
    std::string steps;
    for (const auto& event : events) {
        const bool line = event.starts_with("line ");
        if (lineSettings ? line : !line && !event.starts_with("timeouts ") && !event.starts_with("purge "))
            steps += event + "\n";
    }
    return steps;
}

class ConnectionModelTest : public ::testing::Test {
protected:
    ConnectionModelTest()
        : view(rig.events),
          model(
              rig.port, [this] { return ports; },
              [this](Family family) {
                  return std::make_shared<FakeDriver>(family, family == attached, pull ? &rig.port : nullptr);
              }) {
        session::Current() = session::Session{};
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

    // Connect clicked with the port listed and the rig's record started afresh.
    void Connect(bool allFamilies) {
        session::Current().settings =
            allFamilies ? session::Settings{} : session::Settings{false, false, false, false, false};
        view.posted.clear();
        model.OnControlsCreated();
        rig.events.clear();
        model.ConnectOrDisconnect();
    }

    void ExpectNotConnected() {
        EXPECT_FALSE(session::Current().connected);
        EXPECT_EQ(session::ConnectedFamily(), Family::None);
        EXPECT_EQ(view.statusText1, L"Not Connected");
        EXPECT_TRUE(view.listEnabled);
        EXPECT_FALSE(view.buttonReadsDisconnect);
    }

    serialtest::FakePortRig rig;
    testsupport::LogCapture log;
    Family attached = Family::None;
    bool pull = false;
    FakeView view;
    std::vector<SerialPortInfo> ports = {{"COM4", "USB-SERIAL CH340 (COM4)"}};
    app::ConnectionModel model;
};

// Each family is tried at its own rate, in table order; a family that does not answer has its port
// closed before the next opens. Edits made before the connection are not carried into it.
TEST_F(ConnectionModelTest, ProbesEachFamilyInTurnUntilOneAnswers) {
    attached = Family::Tercel;
    DirtyKeys().insert(L"MaxSpeed");
    Connect(true);

    std::string expected;
    for (const auto& [name, handle] : {std::pair{"FJ", "7"}, {"EV48-400-C", "8"}, {"Tercel", ""}}) {
        expected += "open COM4\nstatus COM4\npause 1000\nstatus Probing Controller for " + std::string(name) +
                    "\npause 1000\n";
        if (*handle)
            expected += "pause 1000\nstatus Controller not responding for " + std::string(name) +
                        "\npause 1000\nstatus Closing port COM4\nclose " + handle + "\npause 1000\n";
    }
    EXPECT_EQ(Steps(rig.events), expected + "status Detected Controller: Tercel\npause 1000\npost\n");
    EXPECT_EQ(Steps(rig.events, true), "line 7 19200\nline 8 115200\nline 9 38400\n");

    EXPECT_THAT(view.posted, ElementsAre(std::pair{session::Ops(Family::Tercel).eventCode, true}));
    EXPECT_EQ(session::ConnectedFamily(), Family::Tercel);
    EXPECT_TRUE(DirtyKeys().empty());
    EXPECT_EQ(view.statusText1, L"Connected");
    EXPECT_TRUE(rig.port.IsOpen());
    EXPECT_TRUE(!view.listEnabled && view.buttonEnabled && view.buttonReadsDisconnect);
}

// However the connect fails, the page is left as before it: nothing posted, the port list and the
// Connect button back, and never "Connected".
TEST_F(ConnectionModelTest, FailedConnectLeavesThePageNotConnected) {
    const std::string failedOpen = "open COM4\nstatus Failed to connect to COM4\n";
    const std::string noneFound = "status Failed to Identify controller\npause 1000\n";
    const struct {
        const char* what;
        bool allFamilies;
        int failingOpens;
        bool pulled;
        std::string steps;
    } cases[] = {
        // First, so that its port gets the fake's first handle.
        {"the cable pulled while reading", true, 0, true,
         "open COM4\nstatus COM4\npause 1000\nstatus Probing Controller for FJ\npause 1000\nclose 7\n"
         "status Lost the controller while reading: check the cable\npause 1000\n"},
        {"no family enabled", false, 0, false, noneFound},
        {"the port will not open", true, 3, false, failedOpen + failedOpen + failedOpen + noneFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        attached = Family::FJ;
        pull = c.pulled;
        for (int i = 0; i < c.failingOpens; ++i)
            rig.backend->opens.push_back(OpenResult{kInvalidSerialHandle, 2, OpenFailure::NotFound});
        Connect(c.allFamilies);

        EXPECT_EQ(Steps(rig.events), c.steps);
        EXPECT_TRUE(view.posted.empty());
        ExpectNotConnected();
        EXPECT_TRUE(view.buttonEnabled);
    }
}

// A disconnect posts the code of the connection it ends and clears its changes; with the cable pulled
// the list is empty, and the connection must still be ended.
TEST_F(ConnectionModelTest, DisconnectPostsTheCodeOfTheConnectionAndClearsIt) {
    for (const session::FamilyOps* ops : session::Families()) {
        SCOPED_TRACE(ops->name);
        attached = ops->family;
        ports = {{"COM4", "USB-SERIAL CH340 (COM4)"}};
        Connect(true);
        DirtyKeys().insert(L"1");
        ports.clear();
        model.RefreshPorts();
        EXPECT_TRUE(view.buttonEnabled && view.buttonReadsDisconnect);

        model.ConnectOrDisconnect();

        EXPECT_THAT(view.posted,
                    ElementsAre(std::pair{ops->eventCode, true}, std::pair{ops->eventCode, false}));
        EXPECT_TRUE(DirtyKeys().empty());
        EXPECT_EQ(session::Current().controllerName, "");
        EXPECT_FALSE(view.buttonEnabled);
        ExpectNotConnected();
    }
}

}  // namespace
