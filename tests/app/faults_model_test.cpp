// What the faults page shows follows the connected family, and the clearing button stays disabled
// while no family can clear its history.
#include "app/cards/faults_model.h"

#include <gtest/gtest.h>

#include "ev48400c/message_store.h"
#include "session/session.h"
#include "tests/support/families.h"

namespace {

TEST(FaultsModel, FollowsTheConnectedFamily) {
    const struct {
        Family family;
        bool d5;
        const wchar_t* status;
        bool legend;
    } cases[] = {
        {Family::None, false, L"", false},
        {Family::EV48400C, false, L"EV48-400-C Controller", false},
        {Family::EV48400C, true, L"EV48-400C D5 Controller", false},
        {Family::FJ, false, L"FJ Controller", true},
        {Family::Tercel, false, L"Tercel Controller", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.family) << " D5 " << c.d5);
        session::Current() = session::Session{};
        testsupport::ResetFamilies();
        session::Current().family = c.family;
        EV48400C::isD5Model = c.d5;
        const auto page = app::BuildFaultsPage({});
        EXPECT_EQ(page.statusText, c.status);
        EXPECT_EQ(page.rows.current.columns.empty(), c.family == Family::None);
        // The legend's lines joined for one multi-line box.
        EXPECT_EQ(page.legend.find(L"\r\n1: ") != std::wstring::npos, c.legend);
        EXPECT_FALSE(page.clearEnabled);
    }
    session::Current() = session::Session{};
    testsupport::ResetFamilies();
}

}  // namespace
