// What the faults page shows per connected family: status text, picture, legend, and a clearing button
// that stays disabled while no family can clear its history.
#include "app/cards/faults_model.h"

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "ev48400c/cycle_response_mcu2pc.h"
#include "fj/value_table.h"

namespace {

using datafiles::Family;

class FaultsModel : public testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        app::App().ClearFamilyFlags();
        EV48400C::isD5Model = false;
        FJ::FjValueTable::Instance().Clear();
    }
};

struct FlagCase {
    const char* what;
    bool ev48400c, fj, tercel, d5;
    Family family;
    const wchar_t* status;
    int picture;
    size_t currentColumns;
};

TEST_F(FaultsModel, FamilyStatusAndPictureFollowTheFlags) {
    const FlagCase cases[] = {
        {"nothing connected", false, false, false, false, Family::None, L"", 0, 0},
        {"EV48-400-C", true, false, false, false, Family::EV48400C, L"EV48-400-C Controller", 212, 2},
        {"EV48-400-C D5", true, false, false, true, Family::EV48400C, L"EV48-400C D5 Controller", 213, 2},
        {"D5 flag alone: named, but no columns", false, false, false, true, Family::None,
         L"EV48-400C D5 Controller", 213, 0},
        {"FJ", false, true, false, false, Family::FJ, L"FJ Controller", 211, 5},
        {"Tercel", false, false, true, false, Family::Tercel, L"Tercel Controller", 217, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Reset();
        app::App().ev48400cConnected = c.ev48400c;
        app::App().fjConnected = c.fj;
        app::App().tercelConnected = c.tercel;
        EV48400C::isD5Model = c.d5;
        const auto page = app::BuildFaultsPage({});
        EXPECT_EQ(page.family, c.family);
        EXPECT_EQ(page.statusText, c.status);
        EXPECT_EQ(page.pictureId, c.picture);
        EXPECT_EQ(page.rows.current.columns.size(), c.currentColumns);
        EXPECT_EQ(page.legend.empty(), c.family != Family::FJ);
        EXPECT_FALSE(page.clearEnabled);
    }
}

}  // namespace
