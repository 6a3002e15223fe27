#include "app/dashboard.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/app_ids.h"
#include "app/app_state.h"
#include "core/log.h"
#include "session/family_table.h"
#include "session/session.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/log_capture.h"

namespace {

using testing::ElementsAre;

// What the cards and the window were asked to do, in order.
using Journal = std::vector<std::string>;

class FakeCard final : public app::CardBase {
public:
    FakeCard(std::string name, std::string title, Journal& journal)
        : name_(std::move(name)), title_(std::move(title)), journal_(journal) {}
    ~FakeCard() override { journal_.push_back("delete " + name_); }

    std::string GetTitle() const override { return title_; }
    void Show(app::PaintSurface&, const app::Rect&) override { journal_.push_back("show " + name_); }
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
    std::string title_;
    Journal& journal_;
};

const std::map<std::string, std::string> kTitles = {
    {"Acknowledge", "Acknowledge"},
    {"Comms", "Communications"},
    {"Settings", "Settings"},
    {"About", "About Vantrel"},
    {"TuningCard", "Tuning"},
    {"Faults", "Faults"},
    {"RXTX", "RX/TX"},
};

class FakeFactory final : public app::CardFactory {
public:
    explicit FakeFactory(Journal& journal) : journal_(journal) {}
    std::unique_ptr<app::CardBase> MakeCard(const std::string& key) override {
        const auto it = kTitles.find(key);
        if (it == kTitles.end()) return nullptr;
        return std::make_unique<FakeCard>(key, it->second, journal_);
    }

private:
    Journal& journal_;
};

class FakeView final : public app::DashboardView {
public:
    explicit FakeView(Journal& journal) : journal_(journal) {}
    void RepaintAll() override { journal_.push_back("repaint"); }
    void RepaintStatusBar() override { journal_.push_back("repaint status"); }
    void PostEvent(uint32_t event, uintptr_t first, intptr_t second) override {
        journal_.push_back("post " + std::to_string(event) + " " + std::to_string(first) + " " +
                           std::to_string(second));
    }
    void Close() override { journal_.push_back("close"); }

private:
    Journal& journal_;
};

class Dashboard : public testing::Test {
protected:
    Dashboard() {
        app::App() = app::AppState{};
        session::Current() = session::Session{};
        dashboard_.AttachView(&view_);
        SetStatusListener([this](const std::wstring& text) { dashboard_.OnStatus(text); });
        SetStatus(L"");
        journal_.clear();
        log_.Clear();
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

    std::unique_ptr<app::CardBase> Card(const std::string& name, const std::string& title) {
        return std::make_unique<FakeCard>(name, title, journal_);
    }

    // The main pages, as after "I Agree", with the journal emptied.
    void ToMainPages() {
        dashboard_.Start();
        dashboard_.BuildMainCards();
        journal_.clear();
    }

    // Lays out a window of the program's client size and places the entries, as the first paint does.
    void Paint() {
        dashboard_.SetClientSize(1194, 771);
        dashboard_.LayOut();
        dashboard_.PlaceNavEntries();
    }

    Journal journal_;
    FakeFactory factory_{journal_};
    FakeView view_{journal_};
    app::Dashboard dashboard_{factory_};
    testsupport::FakePrompter prompter_;
    testsupport::LogCapture log_;
};

TEST_F(Dashboard, AddCardInsertsAtThePositionOrAppends) {
    dashboard_.AddCard("a", Card("a", "A"));
    dashboard_.AddCard("b", Card("b", "B"), 0);
    dashboard_.AddCard("c", Card("c", "C"), 2);  // one past the end: appended
    dashboard_.AddCard("d", Card("d", "D"), 7);
    dashboard_.AddCard("e", Card("e", "E"), 1);
    EXPECT_THAT(Labels(), ElementsAre("B", "E", "A", "C", "D"));
    EXPECT_EQ(dashboard_.CurrentKey(), "");
    EXPECT_EQ(dashboard_.CurrentCard(), nullptr);
}

TEST_F(Dashboard, AddCardUnderAKeyInUseReplacesCardAndEntry) {
    dashboard_.AddCard("a", Card("a1", "A"));
    dashboard_.AddCard("b", Card("b", "B"));
    dashboard_.SelectCard("a");
    journal_.clear();
    dashboard_.AddCard("a", Card("a2", "A again"), 0);
    EXPECT_THAT(Labels(), ElementsAre("A again", "B"));
    EXPECT_THAT(journal_, ElementsAre("hide a1", "delete a1"));
    EXPECT_EQ(dashboard_.CurrentKey(), "");
}

TEST_F(Dashboard, RemoveCardHidesItAndKeepsItRegistered) {
    dashboard_.AddCard("a", Card("a", "A"));
    dashboard_.AddCard("b", Card("b", "B"));
    dashboard_.SelectCard("a");
    journal_.clear();
    dashboard_.RemoveCard("a");
    dashboard_.RemoveCard("unknown");
    EXPECT_THAT(Labels(), ElementsAre("B"));
    EXPECT_EQ(dashboard_.CurrentKey(), "");
    EXPECT_NE(dashboard_.FindCard("a"), nullptr);
    EXPECT_THAT(journal_, ElementsAre("hide a"));
}

TEST_F(Dashboard, SelectCardHidesThePreviousPageAndRepaints) {
    dashboard_.AddCard("a", Card("a", "A"));
    dashboard_.AddCard("b", Card("b", "B"));
    dashboard_.SelectCard("a");
    dashboard_.SelectCard("b");
    EXPECT_THAT(journal_, ElementsAre("repaint", "hide a", "repaint"));
    EXPECT_EQ(dashboard_.CurrentCard(), dashboard_.FindCard("b"));
}

TEST_F(Dashboard, AgreeingSaysSoAndAsksForTheMainPages) {
    dashboard_.Start();
    journal_.clear();
    EXPECT_TRUE(dashboard_.OnCommand(app::kIdAgree, 0));
    EXPECT_EQ(dashboard_.StatusText2(), L"User Agreed to EULA");
    EXPECT_THAT(journal_, ElementsAre("repaint status", "post 32773 0 0"));
    EXPECT_TRUE(log_.Contains("User Agreed to EULA"));
}

TEST_F(Dashboard, MainPagesAreCommunicationsSettingsAndAbout) {
    dashboard_.Start();
    dashboard_.BuildMainCards();
    EXPECT_THAT(Labels(), ElementsAre("Communications", "Settings", "About Vantrel"));
    EXPECT_EQ(dashboard_.CurrentKey(), "Comms");
    // The agreement page is hidden once, when it leaves the column.
    EXPECT_EQ(std::count(journal_.begin(), journal_.end(), "hide Acknowledge"), 1);
}

TEST_F(Dashboard, DisagreeingShowsTheFarewellForASecondThenCloses) {
    dashboard_.Start();
    journal_.clear();
    EXPECT_TRUE(dashboard_.OnCommand(app::kIdDisagree, 0));
    EXPECT_EQ(dashboard_.StatusText2(), L"User Disagreed with EULA ... Vantrel shutting down");
    EXPECT_THAT(journal_, ElementsAre("repaint status", "repaint", "close"));
    EXPECT_THAT(prompter_.pauses, ElementsAre(1000u));
}

struct ConnectionCase {
    const char* what;
    uint32_t familyCode;
    bool rxtx;
    std::vector<std::string> labels;
};

TEST_F(Dashboard, ConnectingAddsTheControllerPages) {
    const std::vector<std::string> withRxTx = {"Tuning",         "Faults",   "RX/TX",
                                               "Communications", "Settings", "About Vantrel"};
    const std::vector<std::string> without = {"Tuning", "Faults", "Communications", "Settings",
                                              "About Vantrel"};
    const ConnectionCase cases[] = {
        {"Tercel with RXTX", session::Ops(Family::Tercel).eventCode, true, withRxTx},
        {"Tercel without RXTX", session::Ops(Family::Tercel).eventCode, false, without},
        {"FJ with RXTX", session::Ops(Family::FJ).eventCode, true, without},
        {"EV48-400-C with RXTX", session::Ops(Family::EV48400C).eventCode, true, without},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        session::Current().settings.rxtx = c.rxtx;
        ToMainPages();
        dashboard_.OnConnectionEvent(c.familyCode, true);
        EXPECT_EQ(Labels(), c.labels);
        EXPECT_EQ(dashboard_.CurrentKey(), "TuningCard");
        EXPECT_THAT(journal_, testing::Contains("hide Comms"));
    }
}

TEST_F(Dashboard, DisconnectingFromTheFaultsPageLandsOnCommunications) {
    session::Current().settings.rxtx = true;
    ToMainPages();
    dashboard_.OnConnectionEvent(session::Ops(Family::Tercel).eventCode, true);
    dashboard_.SelectCard("Faults");
    journal_.clear();
    dashboard_.OnConnectionEvent(session::Ops(Family::Tercel).eventCode, false);
    EXPECT_THAT(Labels(), ElementsAre("Communications", "Settings", "About Vantrel"));
    EXPECT_EQ(dashboard_.CurrentKey(), "Comms");
    EXPECT_THAT(journal_, ElementsAre("hide TuningCard", "hide Faults", "hide RXTX", "repaint"));
}

TEST_F(Dashboard, ReconnectingMakesFreshControllerPages) {
    ToMainPages();
    dashboard_.OnConnectionEvent(session::Ops(Family::FJ).eventCode, true);
    dashboard_.OnConnectionEvent(session::Ops(Family::FJ).eventCode, false);
    journal_.clear();
    dashboard_.OnConnectionEvent(session::Ops(Family::EV48400C).eventCode, true);
    EXPECT_THAT(journal_, testing::Contains("delete TuningCard"));
    EXPECT_THAT(Labels(), ElementsAre("Tuning", "Faults", "Communications", "Settings", "About Vantrel"));
}

TEST_F(Dashboard, UnknownFamilyCodesChangeNothing) {
    ToMainPages();
    dashboard_.OnConnectionEvent(0x800A, true);
    dashboard_.OnConnectionEvent(0, false);
    EXPECT_THAT(Labels(), ElementsAre("Communications", "Settings", "About Vantrel"));
    EXPECT_EQ(dashboard_.CurrentKey(), "Comms");
    EXPECT_TRUE(journal_.empty());
}

TEST_F(Dashboard, LayoutFollowsTheClientSizeOfTheFirstPaint) {
    Paint();
    EXPECT_EQ(dashboard_.NavigationRect(), (app::Rect{0, 0, 180, 771}));
    EXPECT_EQ(dashboard_.StatusBarRect(), (app::Rect{0, 741, 1194, 771}));
    EXPECT_EQ(dashboard_.ContentRect(), (app::Rect{181, 0, 1194, 741}));
    dashboard_.SetClientSize(800, 500);
    dashboard_.LayOut();
    EXPECT_EQ(dashboard_.StatusBarRect(), (app::Rect{0, 741, 1194, 771}));
}

TEST_F(Dashboard, ClickingAnotherEntryClearsTheStatusAndSwitches) {
    ToMainPages();
    Paint();
    SetStatus(L"User Agreed to EULA");
    journal_.clear();
    log_.Clear();
    EXPECT_TRUE(dashboard_.OnNavigationClick(90, 180));
    EXPECT_EQ(dashboard_.CurrentKey(), "Settings");
    EXPECT_EQ(dashboard_.StatusText2(), L"");
    EXPECT_THAT(journal_, ElementsAre("hide Comms", "repaint status", "repaint"));
    EXPECT_THAT(log_.Messages(), ElementsAre(""));
}

TEST_F(Dashboard, ClickingTheCurrentEntryOrBesideTheEntriesChangesNothing) {
    ToMainPages();
    Paint();
    SetStatus(L"User Agreed to EULA");
    journal_.clear();
    log_.Clear();
    const int points[][2] = {{10, 130}, {178, 160}, {90, 163}, {179, 180}, {90, 124}, {300, 180}, {90, 250}};
    for (const auto& p : points)
        EXPECT_FALSE(dashboard_.OnNavigationClick(p[0], p[1])) << p[0] << "," << p[1];
    EXPECT_EQ(dashboard_.CurrentKey(), "Comms");
    EXPECT_EQ(dashboard_.StatusText2(), L"User Agreed to EULA");
    EXPECT_TRUE(journal_.empty());
    EXPECT_TRUE(log_.Messages().empty());
}

TEST_F(Dashboard, CommandsGoToTheCurrentPageOnly) {
    ToMainPages();
    dashboard_.SelectCard("Settings");
    journal_.clear();
    EXPECT_TRUE(dashboard_.OnCommand(app::kIdSettingsSave, 0));
    EXPECT_THAT(journal_, ElementsAre("Settings command 1706"));
}

TEST_F(Dashboard, EventsReachTheirPagesWhereverTheUserIs) {
    ToMainPages();
    dashboard_.OnConnectionEvent(session::Ops(Family::FJ).eventCode, true);
    dashboard_.SelectCard("About");
    journal_.clear();
    dashboard_.OnAppEvent(app::kEventRebuildTuningLists);
    dashboard_.OnDevicesChanged();
    EXPECT_THAT(journal_, ElementsAre("TuningCard event 32782", "Comms devices"));
}

}  // namespace
