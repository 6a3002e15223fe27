#include "app/family_drivers.h"

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "ev48400c/cycle_response_mcu2pc.h"

namespace {

using app::Family;

class FamilyDrivers : public ::testing::Test {
protected:
    FamilyDrivers() { app::App() = app::AppState{}; }
    ~FamilyDrivers() override {
        app::App() = app::AppState{};
        EV48400C::isD5Model = false;
    }
};

TEST_F(FamilyDrivers, EachFamilyMakesItsOwnDriverAndIsKnownByIt) {
    const struct {
        Family family;
        const char* name;
        uint32_t baud;
    } cases[] = {{Family::Fj, "FJ", 19200},
                 {Family::Ev48400c, "EV48-400-C", 115200},
                 {Family::Tercel, "Tercel", 38400}};
    auto& drivers = app::FamilyDriversInstance();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto driver = drivers.Make(c.family);
        ASSERT_NE(driver, nullptr);
        EXPECT_EQ(driver->GetName(), c.name);
        EXPECT_EQ(driver->GetBaudRate(), c.baud);
        EXPECT_EQ(drivers.FamilyOf(*driver), c.family);
    }
    EXPECT_EQ(drivers.Make(Family::None), nullptr);
}

TEST_F(FamilyDrivers, ConnectedDriverFollowsTheFamilyFlag) {
    EXPECT_EQ(app::ConnectedDriver(), nullptr);
    app::App().ev48400cConnected = true;
    const auto first = app::ConnectedDriver();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetName(), "EV48-400-C");
    EXPECT_NE(app::ConnectedDriver(), first) << "a fresh driver for every operation";
    app::App().ClearFamilyFlags();
    app::App().tercelConnected = true;
    EXPECT_EQ(app::ConnectedDriver()->GetName(), "Tercel");
}

TEST_F(FamilyDrivers, ClearingTheFamilyFlagsForgetsTheD5Model) {
    app::InstallFamilyStateClearing();
    app::App().ev48400cConnected = true;
    EV48400C::isD5Model = true;

    app::App().ClearFamilyFlags();

    EXPECT_FALSE(EV48400C::isD5Model);
    EXPECT_FALSE(app::App().ev48400cConnected);
}

}  // namespace
