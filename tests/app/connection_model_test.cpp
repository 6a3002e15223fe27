// The connection page's model over a scripted port: the probe's order and steps, what a failed
// connect leaves, and what a disconnect clears; and the main window's pages that a connection adds and
// takes away.
#include "app/cards/connection_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/dashboard.h"
#include "core/log.h"
#include "core/param_registry.h"
#include "session/family_table.h"
#include "session/session.h"
#include "tests/serial/fake_serial_backend.h"
#include "tests/support/log_capture.h"

namespace {

using testing::Contains;
using testing::ElementsAre;

// A driver with the family's name and rate that identifies only when its family is on the wire. With
// a port to pull, the line takes that port away while the driver reads.
struct FakeDriver final : ControllerInterface {
    FakeDriver(Family of, bool identifies, SerialPort* pulled)
        : ops(session::Ops(of)), answers(identifies), pull(pulled) {}
    std::string GetName() const override { return ops.name; }
    bool Identify() override {
        if (pull) pull->Close();
        return answers;
    }
    uint32_t GetBaudRate() const override { return ops.baudRate; }

    const session::FamilyOps& ops;
    bool answers;
    SerialPort* pull;
};

struct FakeView final : app::ConnectionView {
    explicit FakeView(std::vector<std::string>& journal) : events(journal) {}
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
        events.push_back("post");
    }
    void BeginWait() override {}
    void EndWait() override {}

    int shownSelection = -1;
    bool listEnabled = true, buttonEnabled = false, buttonReadsDisconnect = false;
    std::wstring statusText1;
    std::vector<std::pair<uint32_t, bool>> posted;
    std::vector<std::string>& events;
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
        EXPECT_FALSE(session::Current().connected || view.buttonReadsDisconnect);
        EXPECT_EQ(session::ConnectedFamily(), Family::None);
        EXPECT_EQ(view.statusText1, L"Not Connected");
        EXPECT_TRUE(view.listEnabled);
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

using Labels = std::vector<std::string>;

// Titled with its key; notes when it is hidden and deleted.
class FakeCard final : public app::CardBase {
public:
    FakeCard(std::string name, Labels& journal) : name_(std::move(name)), journal_(journal) {}
    ~FakeCard() override { journal_.push_back("delete " + name_); }
    std::string GetTitle() const override { return name_; }
    void Show(app::PaintSurface&, const app::Rect&) override {}
    void Hide() override { journal_.push_back("hide " + name_); }

private:
    std::string name_;
    Labels& journal_;
};

class Dashboard : public testing::Test, private app::CardFactory {
protected:
    Dashboard() {
        app::App() = app::AppState{};
        session::Current() = session::Session{};
        SetStatusListener([this](const std::wstring& text) { dashboard_.OnStatus(text); });
    }
    ~Dashboard() override {
        SetStatusListener(nullptr);
        app::App() = app::AppState{};
        session::Current() = session::Session{};
    }
    std::unique_ptr<app::CardBase> MakeCard(const std::string& key) override {
        return std::make_unique<FakeCard>(key, journal_);
    }
    Labels Connect(Family family, bool connected) {
        journal_.clear();
        dashboard_.OnConnectionEvent(session::Ops(family).eventCode, connected);
        Labels labels;
        for (const auto& entry : dashboard_.NavEntries()) labels.push_back(entry.label);
        return labels;
    }

    Labels journal_;
    app::Dashboard dashboard_{*this};
};

// Tercel's connection adds its raw frame page as well when the RX/TX setting is on. Whichever page was
// shown, a disconnect lands on Communications; the next connection's pages are new ones, holding
// nothing of the last controller.
TEST_F(Dashboard, ConnectingAddsTheControllerPagesAndDisconnectingRemovesThem) {
    session::Current().settings.rxtx = true;
    dashboard_.Start();
    dashboard_.BuildMainCards();  // as after "I Agree"
    EXPECT_EQ(Connect(Family::Tercel, true),
              (Labels{"TuningCard", "Faults", "RXTX", "Comms", "Settings", "About"}));
    EXPECT_EQ(dashboard_.CurrentKey(), "TuningCard");
    dashboard_.SelectCard("Faults");
    EXPECT_EQ(Connect(Family::Tercel, false), (Labels{"Comms", "Settings", "About"}));
    EXPECT_EQ(dashboard_.CurrentKey(), "Comms");
    EXPECT_THAT(journal_, ElementsAre("hide TuningCard", "hide Faults", "hide RXTX"));

    EXPECT_EQ(Connect(Family::FJ, true), (Labels{"TuningCard", "Faults", "Comms", "Settings", "About"}));
    EXPECT_THAT(journal_, Contains("delete TuningCard"));
    EXPECT_THAT(journal_, Contains("delete Faults"));
}

}  // namespace
