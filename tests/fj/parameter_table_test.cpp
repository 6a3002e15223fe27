#include "fj/parameter_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fj/packet_codec.h"
#include "fj/value_table.h"
#include "tests/fj/fj_test_support.h"
#include "tests/support/families.h"

namespace {

using fjtest::Entry;
using fjtest::Shown;

class FjParameterTable : public testsupport::FreshFamilies {
protected:
    void SetUp() override {
        testsupport::ResetFamilies();
        FJ::BuildEntryLists();
    }
    static void Store(const std::wstring& key, uint16_t raw) {
        const auto address = FJ::TryParseId(key);
        ASSERT_TRUE(address.has_value());
        FJ::FjValueTable::Instance().Set(address->group, address->index, raw);
    }
    static uint16_t Stored(const std::wstring& key) {
        const auto address = FJ::TryParseId(key);
        return FJ::FjValueTable::Instance().Get(address->group, address->index);
    }
};

TEST_F(FjParameterTable, ShowsValuesByTheirDisplayRule) {
    struct Case {
        const wchar_t* key;
        uint16_t raw;
        const char* shown;
    };
    const Case cases[] = {
        {L"01:1B", 498, "5.0"},      {L"01:0F", 537, "53.7"},  {L"0D:1F", 0xFFFF, "65535"},
        {L"0C:23", 45000, "4500.0"}, {L"0C:30", 3, "Unknown"}, {L"0C:30", 2, "Timing Stop On Slope"},
        {L"13:3B", 2, "ACV1"},       {L"13:3A", 8, "Tractor"}, {L"13:3D", 8, "tractor"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(text::WideToUtf8(c.key) + " = " + std::to_string(c.raw));
        Store(c.key, c.raw);
        EXPECT_EQ(Shown(c.key), c.shown);
    }
}

TEST_F(FjParameterTable, SettersStoreTheRawValue) {
    struct Case {
        const wchar_t* key;
        const char* typed;
        uint16_t stored;
    };
    const Case cases[] = {
        {L"0C:3F", "12.34", 123},    {L"0C:23", "4500.07", 45000}, {L"0C:23", "25.3", 253},
        {L"0C:23", "6553.5", 65535}, {L"0D:1F", "4500", 4500},     {L"0D:1F", " 7.5", 7},
        {L"0C:30", "2", 2},          {L"0B:1E", "1", 1},           {L"13:10", "127", 127},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(text::WideToUtf8(c.key) + " <- " + c.typed);
        const auto& entry = Entry(c.key);
        entry.setter(entry.owner, c.typed);
        EXPECT_EQ(Stored(c.key), c.stored);
    }
}

TEST_F(FjParameterTable, SettersRefuseWhatTheFieldCannotHold) {
    Store(L"0D:1F", 4500);
    Store(L"0C:23", 45000);
    const std::pair<const wchar_t*, const char*> cases[] = {
        {L"0D:1F", "fast"}, {L"0D:1F", "70000"},   // would wrap to 4464
        {L"0D:1F", "-1"},   {L"0C:23", "6553.6"},  // x 10 passes 65535
        {L"0C:23", "1e39"},
    };
    for (const auto& [key, typed] : cases) {
        const auto& entry = Entry(key);
        EXPECT_ANY_THROW(entry.setter(entry.owner, typed)) << typed;
    }
    EXPECT_EQ(Stored(L"0D:1F"), 4500);
    EXPECT_EQ(Stored(L"0C:23"), 45000);
}

TEST_F(FjParameterTable, EnumerationsNamedByTheirOptionsRangeOverTheirTable) {
    struct Case {
        const wchar_t* key;
        double low;
        double high;
    };
    const Case cases[] = {{L"0C:30", 0, 2}, {L"10:05", 0, 7}, {L"0D:1F", 0, 6000}, {L"0F:13", 10, 2000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(text::WideToUtf8(c.key));
        const auto range = FJ::NumericRange(Entry(c.key));
        ASSERT_TRUE(range.has_value());
        EXPECT_EQ(range->low, c.low);
        EXPECT_EQ(range->high, c.high);
    }
    EXPECT_FALSE(FJ::NumericRange(Entry(L"13:0E")).has_value());
    EXPECT_FALSE(FJ::NumericRange(Entry(L"01:3D")).has_value());  // shown only
    EXPECT_FALSE(FJ::NumericRange(FJ::List(FJ::kControllerInfoList).front()).has_value());
}

}  // namespace
