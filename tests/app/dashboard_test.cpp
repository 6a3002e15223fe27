// The main window's pages without Win32: which pages a connection adds and takes away.
#include "app/dashboard.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "core/log.h"
#include "session/family_table.h"
#include "session/session.h"

namespace {

using testing::Contains;
using testing::ElementsAre;

// What the cards went through, in order. Each card is titled with its key.
using Journal = std::vector<std::string>;

class FakeCard final : public app::CardBase {
public:
    FakeCard(std::string name, Journal& journal) : name_(std::move(name)), journal_(journal) {}
    ~FakeCard() override { journal_.push_back("delete " + name_); }
    std::string GetTitle() const override { return name_; }
    void Show(app::PaintSurface&, const app::Rect&) override {}
    void Hide() override { journal_.push_back("hide " + name_); }

private:
    std::string name_;
    Journal& journal_;
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

    std::vector<std::string> Labels() const {
        std::vector<std::string> labels;
        for (const auto& entry : dashboard_.NavEntries()) labels.push_back(entry.label);
        return labels;
    }
    static uint32_t Code(Family family) { return session::Ops(family).eventCode; }

    Journal journal_;
    app::Dashboard dashboard_{*this};
};

// Tercel's connection adds its raw frame page as well when the RX/TX setting is on. Whichever page was
// shown, a disconnect lands on Communications; the next connection's pages are new ones, holding
// nothing of the last controller.
TEST_F(Dashboard, ConnectingAddsTheControllerPagesAndDisconnectingRemovesThem) {
    session::Current().settings.rxtx = true;
    dashboard_.Start();
    dashboard_.BuildMainCards();  // as after "I Agree"
    dashboard_.OnConnectionEvent(Code(Family::Tercel), true);
    EXPECT_EQ(Labels(),
              (std::vector<std::string>{"TuningCard", "Faults", "RXTX", "Comms", "Settings", "About"}));
    EXPECT_EQ(dashboard_.CurrentKey(), "TuningCard");
    dashboard_.SelectCard("Faults");
    journal_.clear();
    dashboard_.OnConnectionEvent(Code(Family::Tercel), false);
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Comms", "Settings", "About"}));
    EXPECT_EQ(dashboard_.CurrentKey(), "Comms");
    EXPECT_THAT(journal_, ElementsAre("hide TuningCard", "hide Faults", "hide RXTX"));

    journal_.clear();
    dashboard_.OnConnectionEvent(Code(Family::FJ), true);
    EXPECT_THAT(journal_, Contains("delete TuningCard"));
    EXPECT_THAT(journal_, Contains("delete Faults"));
    EXPECT_EQ(Labels(), (std::vector<std::string>{"TuningCard", "Faults", "Comms", "Settings", "About"}));
}

}  // namespace
