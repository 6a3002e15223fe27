// The main window's pages without Win32: which pages a connection adds and takes away, and where
// commands and events go.
#include "app/dashboard.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app_ids.h"
#include "app/app_state.h"
#include "core/log.h"
#include "session/family_table.h"
#include "session/session.h"

namespace {

using testing::Contains;
using testing::ElementsAre;

// What the cards were asked to do, in order. Each card is titled with its key.
using Journal = std::vector<std::string>;

class FakeCard final : public app::CardBase {
public:
    FakeCard(std::string name, Journal& journal) : name_(std::move(name)), journal_(journal) {}
    ~FakeCard() override { journal_.push_back("delete " + name_); }

    std::string GetTitle() const override { return name_; }
    void Show(app::PaintSurface&, const app::Rect&) override {}
    void Hide() override { journal_.push_back("hide " + name_); }
    bool OnCommand(int commandId, int) override {
        journal_.push_back(name_ + " command " + std::to_string(commandId));
        return true;
    }
    void OnAppEvent(uint32_t event) override {
        journal_.push_back(name_ + " event " + std::to_string(event));
    }
    void OnDevicesChanged() override { journal_.push_back(name_ + " devices"); }

private:
    std::string name_;
    Journal& journal_;
};

class FakeFactory final : public app::CardFactory {
public:
    explicit FakeFactory(Journal& journal) : journal_(journal) {}
    std::unique_ptr<app::CardBase> MakeCard(const std::string& key) override {
        return std::make_unique<FakeCard>(key, journal_);
    }

private:
    Journal& journal_;
};

class Dashboard : public testing::Test {
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

    std::vector<std::string> Labels() const {
        std::vector<std::string> labels;
        for (const auto& entry : dashboard_.NavEntries()) labels.push_back(entry.label);
        return labels;
    }

    // The main pages, as after "I Agree", with the journal emptied.
    void ToMainPages() {
        dashboard_.Start();
        dashboard_.BuildMainCards();
        journal_.clear();
    }

    static uint32_t Code(Family family) { return session::Ops(family).eventCode; }

    Journal journal_;
    FakeFactory factory_{journal_};
    app::Dashboard dashboard_{factory_};
};

const std::vector<std::string> kMainPages = {"Comms", "Settings", "About"};

TEST_F(Dashboard, ConnectingAddsTheControllerPages) {
    const std::vector<std::string> withRxTx = {"TuningCard", "Faults", "RXTX", "Comms", "Settings", "About"};
    const std::vector<std::string> without = {"TuningCard", "Faults", "Comms", "Settings", "About"};
    const struct {
        const char* what;
        uint32_t familyCode;
        bool rxtx;
        std::vector<std::string> labels;
        const char* current;
    } cases[] = {
        {"Tercel with RXTX", Code(Family::Tercel), true, withRxTx, "TuningCard"},
        {"Tercel without RXTX", Code(Family::Tercel), false, without, "TuningCard"},
        {"FJ with RXTX", Code(Family::FJ), true, without, "TuningCard"},
        {"EV48-400-C with RXTX", Code(Family::EV48400C), true, without, "TuningCard"},
        {"an unknown code", 0x800A, true, kMainPages, "Comms"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        session::Current().settings.rxtx = c.rxtx;
        ToMainPages();
        dashboard_.OnConnectionEvent(c.familyCode, true);
        EXPECT_EQ(Labels(), c.labels);
        EXPECT_EQ(dashboard_.CurrentKey(), c.current);
    }
}

// Whichever page was shown, a disconnect lands on Communications; the next connection's pages are new
// ones, holding nothing of the last controller.
TEST_F(Dashboard, DisconnectingRemovesThePagesAndReconnectingMakesFreshOnes) {
    session::Current().settings.rxtx = true;
    ToMainPages();
    dashboard_.OnConnectionEvent(Code(Family::Tercel), true);
    dashboard_.SelectCard("Faults");
    journal_.clear();
    dashboard_.OnConnectionEvent(Code(Family::Tercel), false);
    EXPECT_EQ(Labels(), kMainPages);
    EXPECT_EQ(dashboard_.CurrentKey(), "Comms");
    EXPECT_THAT(journal_, ElementsAre("hide TuningCard", "hide Faults", "hide RXTX"));

    journal_.clear();
    dashboard_.OnConnectionEvent(Code(Family::FJ), true);
    EXPECT_THAT(journal_, Contains("delete TuningCard"));
    EXPECT_THAT(journal_, Contains("delete Faults"));
}

// Commands go to the page shown; the tuning page's events and device changes reach their pages
// wherever the user is.
TEST_F(Dashboard, CommandsAndEventsReachTheirPages) {
    ToMainPages();
    dashboard_.OnConnectionEvent(Code(Family::FJ), true);
    dashboard_.SelectCard("Settings");
    journal_.clear();
    EXPECT_TRUE(dashboard_.OnCommand(app::kIdSettingsSave, 0));
    dashboard_.OnAppEvent(app::kEventRebuildTuningLists);
    dashboard_.OnDevicesChanged();
    EXPECT_THAT(journal_, ElementsAre("Settings command " + std::to_string(app::kIdSettingsSave),
                                      "TuningCard event " + std::to_string(app::kEventRebuildTuningLists),
                                      "Comms devices"));
}

}  // namespace
