// The page logic the tuning and faults pages share with the command line: the commit of an edited value,
// and the fault rows per family.
#include <cmath>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/param_registry.h"
#include "fj/value_table.h"
#include "session/fault_rows.h"
#include "session/tuning_edit.h"
#include "session/tuning_rows.h"
#include "tests/ev48400c/test_frames.h"
#include "tests/support/families.h"

namespace {

using session::EditOutcome;

// A plain field behind a synthetic entry, so each rule of the commit is seen on its own.
struct Field {
    double value = 50;
    bool throwOnSet = false;
};

ParamEntry NumberEntry(Field& field, std::wstring min = L"0", std::wstring max = L"100") {
    ParamEntry entry;
    entry.key = L"speedLimit";
    entry.label = L"Speed Limit";
    entry.owner = &field;
    entry.kind = ParamKind::UInt16;
    entry.minValue = std::move(min);
    entry.maxValue = FixedMax(std::move(max));
    entry.getter = [](void* owner) { return paramdetail::NumberText(static_cast<Field*>(owner)->value); };
    entry.setter = [](void* owner, const std::string& text) {
        auto* f = static_cast<Field*>(owner);
        if (f->throwOnSet) throw std::invalid_argument("refused by the group");
        f->value = *text::ParseLeadingDouble(text);
    };
    return entry;
}

using CommitEdit = testsupport::FreshFamilies;

// A typed text is taken only when all of it is a number inside the limits (an enumeration whose limits are
// option names takes the index of an option); a refusal changes nothing.
TEST_F(CommitEdit, OnlyAWholeNumberInsideTheLimitsIsStored) {
    enum Entry { Plain, ThrowingSetter, MaximumUnknown, ReadOnly, Options, ShownUnknown, ShownRounded };
    const struct {
        const wchar_t* typed;
        Entry entry;
        EditOutcome outcome;
        double stored;
    } cases[] = {
        {L"100", Plain, EditOutcome::Stored, 100},
        {L"0", Plain, EditOutcome::Stored, 0},
        {L" 75 ", Plain, EditOutcome::Stored, 75},
        {L"50", Plain, EditOutcome::Unchanged, 50},
        {L"100.5", Plain, EditOutcome::Refused, 50},
        {L"-1", Plain, EditOutcome::Refused, 50},
        {L"abc", Plain, EditOutcome::Refused, 50},
        {L"", Plain, EditOutcome::Refused, 50},
        {L"75 km/h", Plain, EditOutcome::Refused, 50},
        {L"7,5", Plain, EditOutcome::Refused, 50},
        {L"\uFF17\uFF15", Plain, EditOutcome::Refused, 50},  // full-width digits
        {L"\u0667\u0665", Plain, EditOutcome::Refused, 50},  // Arabic-Indic digits
        {L"60", ThrowingSetter, EditOutcome::Refused, 50},
        {L"60", MaximumUnknown, EditOutcome::Refused, 50},
        {L"60", ReadOnly, EditOutcome::Refused, 50},
        {L"1", Options, EditOutcome::Stored, 1},
        {L"2", Options, EditOutcome::Refused, 50},
        // A shown text that hides the stored number does not prove the edit changed nothing.
        {L"40", ShownUnknown, EditOutcome::Stored, 40},
        {L"50.4", ShownRounded, EditOutcome::Stored, 50.4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(text::WideToUtf8(c.typed) + " / " + std::to_string(c.entry));
        DirtyKeys().clear();
        Field field;
        field.throwOnSet = c.entry == ThrowingSetter;
        ParamEntry entry =
            c.entry == Options ? NumberEntry(field, L"DISABLE", L"ENABLE") : NumberEntry(field);
        entry.readOnly = c.entry == ReadOnly;
        if (c.entry == MaximumUnknown)
            entry.maxValue = [](void*) -> std::wstring { throw std::runtime_error("group not read"); };
        if (c.entry == Options) entry.kind = ParamKind::Enumeration, entry.optionCount = 2;
        if (c.entry == ShownUnknown) entry.getter = [](void*) { return std::string("Unknown"); };
        if (c.entry == ShownRounded)
            entry.getter = [](void* owner) {
                return paramdetail::NumberText(std::round(static_cast<Field*>(owner)->value));
            };
        const auto result = session::CommitEdit(Family::FJ, entry, c.typed, L"50");
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(field.value, c.stored);
        EXPECT_EQ(DirtyKeys().count(L"speedLimit"), c.outcome == EditOutcome::Stored ? 1u : 0u);
        EXPECT_EQ(result.reason.empty(), c.outcome != EditOutcome::Refused);
    }
}

// A lower motor maximum pulls the speeds it bounds down with it.
TEST_F(CommitEdit, TheMotorMaximumLimitsTheSpeedsItBounds) {
    using namespace EV48400C;
    ASSERT_TRUE(ParseInto(Messages().motorParameters, ev48test::MakeFrame(kMotorParametersId)));
    ASSERT_TRUE(ParseInto(Messages().standardGearMode, ev48test::MakeFrame(kStandardGearModeId)));
    ev48test::Set(kMotorSpeedList, L"motorPeakSpeed", "5000");
    ev48test::Set(kGearSpeedList, L"FWD_GearH_MaxSpeed", "4500");
    const auto ev = session::CommitEdit(Family::EV48400C, ev48test::Entry(kMotorSpeedList, L"motorPeakSpeed"),
                                        L"3000", L"5000");
    EXPECT_TRUE(ev.refreshDependents);
    EXPECT_EQ(ev48test::Shown(kGearSpeedList, L"FWD_GearH_MaxSpeed"), "3000");
}

using FaultRows = testsupport::FreshFamilies;
using Rows = std::vector<std::vector<std::wstring>>;

TEST_F(FaultRows, Ev48400cListsOnlyEntriesReadingExactlyOne) {
    Field one, ten;
    one.value = 1;
    ten.value = 10;
    ParamEntry first = NumberEntry(one);
    first.key = L"12";
    first.label = L"Throttle Fault";
    ParamEntry second = NumberEntry(ten);
    second.key = L"13";
    ParamRegistry::Instance().List(EV48400C::kFaultList) = {first, second};
    const auto rows = session::BuildFaultRows(Family::EV48400C, {});
    EXPECT_EQ(rows.current.rows, (Rows{{L"12", L"Throttle Fault"}}));
    EXPECT_TRUE(rows.historical.rows.empty());
}

TEST_F(FaultRows, FjSkipsLevelZeroAndKeepsTablePositions) {
    auto& table = FJ::FjValueTable::Instance();
    // current record 1 has a code but no level; record 3 is a fault
    table.Set(0x0D, 0x04, 17);
    table.Set(0x0D, 0x09, 2);
    table.Set(0x0D, 0x0A, 31);
    table.Set(0x0D, 0x0B, 9);
    const auto describe = [](int32_t code) { return "code " + std::to_string(code); };
    EXPECT_EQ(session::BuildFaultRows(Family::FJ, describe).current.rows,
              (Rows{{L"3", L"31", L"2", L"9", L"code 31"}}));
}

}  // namespace
