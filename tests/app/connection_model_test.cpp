// The connection page's model over a scripted port: the probe's order and steps, what a failed
// connect leaves, and what a disconnect clears.
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

// Writes the posted events into the rig's one event stream, beside opens, closes and pauses.
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
    Settings() = session::Settings{};
    attached = Family::Tercel;
    DirtyKeys().insert(L"MaxSpeed");
    ShowPage();

    model.ConnectOrDisconnect();

    std::vector<std::string> expected;
    const auto tried = [&](std::string name, std::vector<std::string> outcome) {
        const std::vector<std::string> opened = {"open COM4", "status COM4", "pause 1000",
                                                 "status Probing Controller for " + name, "pause 1000"};
        expected.insert(expected.end(), opened.begin(), opened.end());
        expected.insert(expected.end(), outcome.begin(), outcome.end());
    };
    // Each open gets the next handle from the fake.
    for (const auto& [name, handle] : {std::pair{"FJ", "7"}, std::pair{"EV48-400-C", "8"}}) {
        tried(name, {"pause 1000", std::string("status Controller not responding for ") + name, "pause 1000",
                     "status Closing port COM4", std::string("close ") + handle, "pause 1000"});
    }
    tried("Tercel", {"status Detected Controller: Tercel", "pause 1000", "post"});
    EXPECT_THAT(Steps(rig.events), ElementsAreArray(expected));
    std::vector<std::string> lineSettings;
    std::copy_if(rig.events.begin(), rig.events.end(), std::back_inserter(lineSettings),
                 [](const std::string& event) { return event.starts_with("line "); });
    EXPECT_THAT(lineSettings, ElementsAre("line 7 19200", "line 8 115200", "line 9 38400"));

    EXPECT_THAT(view.posted, ElementsAre(std::pair{session::Ops(Family::Tercel).eventCode, true}));
    EXPECT_EQ(session::ConnectedFamily(), Family::Tercel);
    EXPECT_TRUE(DirtyKeys().empty());
    EXPECT_EQ(view.statusText1, L"Connected");
    EXPECT_TRUE(rig.port.IsOpen());
    EXPECT_FALSE(view.listEnabled);
    EXPECT_TRUE(view.buttonEnabled && view.buttonReadsDisconnect);
}

// However the connect fails, the page is left as before it: nothing posted, the port list and the
// Connect button back, and never "Connected".
TEST_F(ConnectionModelTest, FailedConnectLeavesThePageNotConnected) {
    const std::string failedOpen = "status Failed to connect to COM4";
    const struct {
        const char* what;
        bool allFamilies;
        int failingOpens;
        bool pulled;
        std::vector<std::string> steps;
    } cases[] = {
        // First, so that its port gets the fake's first handle.
        {"the cable pulled while reading",
         true,
         0,
         true,
         {"open COM4", "status COM4", "pause 1000", "status Probing Controller for FJ", "pause 1000",
          "close 7", "status Lost the controller while reading: check the cable", "pause 1000"}},
        {"no family enabled", false, 0, false, {"status Failed to Identify controller", "pause 1000"}},
        {"the port will not open",
         true,
         3,
         false,
         {"open COM4", failedOpen, "open COM4", failedOpen, "open COM4", failedOpen,
          "status Failed to Identify controller", "pause 1000"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Settings() =
            c.allFamilies ? session::Settings{} : session::Settings{false, false, false, false, false};
        attached = Family::FJ;
        pull = c.pulled;
        for (int i = 0; i < c.failingOpens; ++i)
            rig.backend->opens.push_back(OpenResult{kInvalidSerialHandle, 2, OpenFailure::NotFound});
        view.posted.clear();
        ShowPage();

        model.ConnectOrDisconnect();

        EXPECT_THAT(Steps(rig.events), ElementsAreArray(c.steps));
        EXPECT_TRUE(view.posted.empty());
        ExpectNotConnected();
        EXPECT_TRUE(view.buttonEnabled);
    }
}

// A disconnect posts the code of the connection it ends and clears its changes; with the cable pulled
// the list is empty, and the connection must still be ended.
TEST_F(ConnectionModelTest, DisconnectPostsTheCodeOfTheConnectionAndClearsIt) {
    Settings() = session::Settings{};
    for (const session::FamilyOps* ops : session::Families()) {
        SCOPED_TRACE(ops->name);
        attached = ops->family;
        ports = {{"COM4", "USB-SERIAL CH340 (COM4)"}};
        view.posted.clear();
        ShowPage();
        model.ConnectOrDisconnect();
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
