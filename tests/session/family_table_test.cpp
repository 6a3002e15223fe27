// The family table: each entry's driver is the family's own, names and event codes lead back to their
// family, and the probe keeps the table's order.
#include "session/family_table.h"

#include <gtest/gtest.h>

#include "core/param_registry.h"
#include "core/text.h"
#include "session/probe.h"
#include "session/session.h"
#include "tests/support/families.h"

namespace {

class FamilyTable : public testing::TestWithParam<const session::FamilyOps*> {};

TEST_P(FamilyTable, DriverNameAndEventCodeLeadBackToTheFamily) {
    const session::FamilyOps& ops = *GetParam();
    const auto driver = ops.makeDriver();
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->GetName(), ops.name);
    EXPECT_EQ(driver->GetBaudRate(), ops.baudRate);
    EXPECT_EQ(session::FamilyFromName(text::AsciiLower(ops.name)), ops.family);
    EXPECT_EQ(session::FamilyOfEventCode(ops.eventCode), ops.family);
    session::Settings onlyThis{false, false, false, false, false};
    onlyThis.*(ops.probeSetting) = true;
    EXPECT_EQ(session::ProbeOrder(onlyThis), std::vector<Family>{ops.family});
}

VANTREL_INSTANTIATE_OVER_FAMILIES(FamilyTable);

TEST(FamilyTableLookups, UnknownNamesAndCodesFindNoFamilyAndTheProbeKeepsTheTablesOrder) {
    for (const char* name : {"", "EV48400C", "FJ ", "Tercel2"})
        EXPECT_EQ(session::FamilyFromName(name), std::nullopt) << name;
    EXPECT_EQ(session::FamilyOfEventCode(0), Family::None);
    EXPECT_EQ(session::FamilyOfEventCode(0x800A), Family::None);
    EXPECT_EQ(session::ProbeOrder(std::vector<Family>{Family::Tercel, Family::FJ}),
              (std::vector<Family>{Family::FJ, Family::Tercel}));
    EXPECT_EQ(session::ProbeOrder(std::vector<Family>{}).size(), session::Families().size());
}

}  // namespace
