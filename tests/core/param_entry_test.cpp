#include "core/param_entry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/param_registry.h"
#include "tests/support/log_capture.h"

namespace {

using testing::ElementsAre;

enum class Signal : uint8_t { Voltage = 0, Hall = 1, Resistive = 2 };

// A parameter group as the families write them: raw fields, typed accessors, one scaled field.
class Group {
public:
    uint8_t Level() const { return level_; }
    void SetLevel(uint8_t v) { level_ = v; }
    uint16_t Speed() const { return speed_; }
    void SetSpeed(uint16_t v) { speed_ = v; }
    int16_t Offset() const { return offset_; }
    void SetOffset(int16_t v) { offset_ = v; }
    Signal SignalType() const { return signal_; }
    void SetSignalType(Signal s) { signal_ = s; }
    std::string SignalName() const {
        static const char* const kNames[] = {"Voltage", "Hall", "Resistive"};
        const auto i = static_cast<size_t>(signal_);
        return i < 3 ? kNames[i] : "Unknown";
    }
    std::string Name() const { return name_; }
    void SetName(const std::string& n) { name_ = n; }
    uint16_t peak = 5000;
    uint16_t voltageRaw = 0;

private:
    uint8_t level_ = 0;
    uint16_t speed_ = 0;
    int16_t offset_ = 0;
    Signal signal_ = Signal::Voltage;
    std::string name_;
};

ParamEntry Entry(Group& g, const wchar_t* key, const wchar_t* label, ParamKind kind, const wchar_t* minValue,
                 ParamMaxFunction maxValue, ParamGetter getter, ParamSetter setter) {
    ParamEntry e;
    e.key = key;
    e.label = label;
    e.owner = &g;
    e.kind = kind;
    e.minValue = minValue;
    e.maxValue = std::move(maxValue);
    e.getter = std::move(getter);
    e.setter = std::move(setter);
    return e;
}

class ApplyParamValueTest : public testing::Test {
protected:
    void SetUp() override {
        ParamRegistry::Instance().Clear();
        list_ = {
            Entry(g_, L"speedKey", L"Max Speed", ParamKind::UInt16, L"0",
                  makeWStringGetter<Group>([](Group* g) { return std::to_wstring(g->peak); }),
                  makeGetter(&Group::Speed), makeSetter(&Group::SetSpeed)),
            Entry(g_, L"levelKey", L"Level", ParamKind::UInt8, L"0", FixedMax(L"400"),
                  makeGetter(&Group::Level), makeSetter(&Group::SetLevel)),
            Entry(g_, L"offsetKey", L"Offset", ParamKind::Int16, L"-100", FixedMax(L"100"),
                  makeGetter(&Group::Offset), makeSetter(&Group::SetOffset)),
            Entry(g_, L"signalKey", L"Signal Type", ParamKind::Enumeration, L"0", FixedMax(L"2"),
                  makeGetter(&Group::SignalName), makeSetter(&Group::SetSignalType)),
            Entry(g_, L"nameKey", L"Name", ParamKind::Text, L"", FixedMax(L""), makeGetter(&Group::Name),
                  makeSetter(&Group::SetName)),
            Entry(g_, L"optKey", L"Direction", ParamKind::UInt8, L"Forward", FixedMax(L"Reverse"),
                  makeGetter(&Group::Level), makeSetter(&Group::SetLevel)),
            Entry(
                g_, L"voltKey", L"Voltage", ParamKind::Float, L"0", FixedMax(L"6553.5"),
                [](void* o) { return std::to_string(static_cast<Group*>(o)->voltageRaw / 10.0); },
                makeSetter<Group>([](Group* g, const std::string& t) {
                    g->voltageRaw = text::CheckedScaleU16(std::stod(t), 10);
                })),
        };
    }
    Group g_;
    EntryList list_;
};

TEST_F(ApplyParamValueTest, AcceptsValuesWithinInclusiveBounds) {
    struct Case {
        const char* key;
        const char* value;
        std::string shown;
    };
    const Case cases[] = {
        {"Max Speed", "0", "0"},           {"Max Speed", "5000", "5000"},
        {"Max Speed", "7.5", "7"},         {"Level", "200", "200"},
        {"Offset", "-100", "-100"},        {"Offset", "-7.9", "-7"},
        {"Signal Type", "2", "Resistive"}, {"Name", "any text at all", "any text at all"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        testsupport::LogCapture log;
        ASSERT_TRUE(ApplyParamValue(list_, c.key, c.value));
        const auto& entry = *std::find_if(list_.begin(), list_.end(), [&](const ParamEntry& e) {
            return e.label == text::Utf8ToWide(c.key);
        });
        EXPECT_EQ(entry.getter(entry.owner), c.shown);
        EXPECT_EQ(DirtyKeys().count(entry.key), 1u);
        EXPECT_THAT(log.Messages(), ElementsAre(std::string("Updated: ") + c.key + " = " + c.value));
    }
}

TEST_F(ApplyParamValueTest, RefusesWithTheReasonAndChangesNothing) {
    struct Case {
        const char* key;
        const char* value;
        const char* message;
    };
    const Case cases[] = {
        {"speedKey", "1", "No matching entry found for: speedKey"},  // the internal key is not a label
        {"max speed", "1", "No matching entry found for: max speed"},
        {"Max Speed", "5001", "Value out of range for Max Speed: 5001"},
        {"Max Speed", "-1", "Value out of range for Max Speed: -1"},
        {"Max Speed", "fast", "Invalid value for key: Max Speed -> not a number"},
        {"Max Speed", "nan", "Invalid value for key: Max Speed -> not a number"},
        {"Max Speed", "", "Invalid value for key: Max Speed -> not a number"},
        {"Max Speed", "1e999", "Invalid value for key: Max Speed -> not a number"},
        {"Direction", "1", "Value out of range for Direction: 1"},  // bounds are option names
        {"Level", "300", "Setter failed for: Level"},               // inside 0..400 but not 8 bits
        {"Voltage", "6553.6", "Value out of range for Voltage: 6553.6"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        testsupport::LogCapture log;
        EXPECT_FALSE(ApplyParamValue(list_, c.key, c.value));
        EXPECT_THAT(log.Messages(), ElementsAre(c.message));
    }
    EXPECT_TRUE(DirtyKeys().empty());
    EXPECT_EQ(g_.Speed(), 0);
    EXPECT_EQ(g_.Level(), 0);
}

TEST_F(ApplyParamValueTest, MaximumFollowsTheOwner) {
    g_.peak = 3000;
    EXPECT_FALSE(ApplyParamValue(list_, "Max Speed", "4500"));
    g_.peak = 8000;
    EXPECT_TRUE(ApplyParamValue(list_, "Max Speed", "4500"));
    EXPECT_EQ(g_.Speed(), 4500);
}

TEST_F(ApplyParamValueTest, ThrowingSetterIsRefused) {
    list_[6].maxValue = FixedMax(L"99999");  // a wider bound than the field: the setter must refuse
    testsupport::LogCapture log;
    EXPECT_FALSE(ApplyParamValue(list_, "Voltage", "12000"));
    EXPECT_THAT(log.Messages(), ElementsAre("Setter failed for: Voltage"));
    EXPECT_EQ(g_.voltageRaw, 0);
}

TEST_F(ApplyParamValueTest, NamedOptionsTakeTheirIndices) {
    list_[5].optionCount = 2;  // "Forward", "Reverse"
    EXPECT_TRUE(ApplyParamValue(list_, "Direction", "1"));
    EXPECT_FALSE(ApplyParamValue(list_, "Direction", "2"));
    EXPECT_EQ(g_.Level(), 1);
}

TEST_F(ApplyParamValueTest, ReadOnlyEntriesAreNotImported) {
    list_[0].readOnly = true;
    testsupport::LogCapture log;
    EXPECT_FALSE(ApplyParamValue(list_, "Max Speed", "10"));
    EXPECT_THAT(log.Messages(), ElementsAre("Read-only entry not changed: Max Speed"));
}

TEST_F(ApplyParamValueTest, EmptyListMatchesNothing) {
    EntryList empty;
    testsupport::LogCapture log;
    EXPECT_FALSE(ApplyParamValue(empty, "Max Speed", "1"));
    EXPECT_THAT(log.Messages(), ElementsAre("No matching entry found for: Max Speed"));
}

TEST_F(ApplyParamValueTest, DescribeListsOnlyTheOwnersEntries) {
    Group other;
    EntryList second = {Entry(other, L"k", L"Other", ParamKind::UInt8, L"0", FixedMax(L"1"),
                              makeGetter(&Group::Level), makeSetter(&Group::SetLevel))};
    g_.SetSpeed(4200);
    g_.SetOffset(-5);
    list_.resize(3);
    EXPECT_EQ(DescribeEntries(&g_, {&list_, &second}), "Max Speed=4200\nLevel=0\nOffset=-5\n");
    EXPECT_EQ(DescribeEntries(&other, {&list_, &second}), "Other=0\n");
}

TEST(ParamRegistry, HandsOutOneListPerName) {
    auto& a = ParamRegistry::Instance().List("EV48400C.Accelerator");
    a.push_back(ParamEntry{});
    for (int i = 0; i < 50; ++i) ParamRegistry::Instance().List("other" + std::to_string(i));
    EXPECT_EQ(&ParamRegistry::Instance().List("EV48400C.Accelerator"), &a);
    EXPECT_EQ(a.size(), 1u);
    ParamRegistry::Instance().Clear();
    EXPECT_TRUE(a.empty());
}

}  // namespace
