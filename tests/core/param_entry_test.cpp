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
            // A wider bound than the field: the setter must refuse what does not fit.
            Entry(
                g_, L"voltKey", L"Voltage", ParamKind::Float, L"0", FixedMax(L"99999"),
                [](void* o) { return std::to_string(static_cast<Group*>(o)->voltageRaw / 10.0); },
                makeSetter<Group>([](Group* g, const std::string& t) {
                    g->voltageRaw = text::CheckedScaleU16(std::stod(t), 10);
                })),
            Entry(g_, L"serialKey", L"Serial", ParamKind::UInt16, L"0", FixedMax(L"65535"),
                  makeGetter(&Group::Speed), makeSetter(&Group::SetSpeed)),
        };
        list_.back().readOnly = true;
    }
    Group g_;
    EntryList list_;
};

// A value the field holds is stored (integers truncated toward zero) and marked; anything else is
// refused with its reason and changes nothing. The typed-number rule itself is text_test's, and every
// family's profile refusals are the data-file tests'.
TEST_F(ApplyParamValueTest, StoresWhatTheFieldHoldsAndRefusesTheRest) {
    struct Case {
        const char* key;
        const char* value;
        bool taken;
        std::string shownOrLogged;
    };
    const Case cases[] = {
        {"Max Speed", "5000", true, "5000"},
        {"Max Speed", "7.5", true, "7"},
        {"Offset", "-7.9", true, "-7"},
        {"Level", "200", true, "200"},
        {"Signal Type", "2", true, "Resistive"},
        {"Name", "any text at all", true, "any text at all"},
        {"speedKey", "1", false, "No matching entry found for: speedKey"},  // the internal key is no label
        {"max speed", "1", false, "No matching entry found for: max speed"},
        {"Max Speed", "5001", false, "Value out of range for Max Speed: 5001"},
        {"Max Speed", "2,5", false, "Invalid value for key: Max Speed -> a decimal comma: use a point"},
        {"Max Speed", "nan", false, "Invalid value for key: Max Speed -> not a number"},
        {"Direction", "1", false, "Value out of range for Direction: 1"},  // bounds are option names
        {"Level", "300", false, "Setter failed for: Level"},               // inside 0..400 but not 8 bits
        {"Voltage", "12000", false, "Setter failed for: Voltage"},         // 120000 would wrap in 16 bits
        {"Serial", "10", false, "Read-only entry not changed: Serial"},
    };
    const auto shown = [&] {
        std::string all;
        for (const auto& entry : list_) all += entry.getter(entry.owner) + ";";
        return all;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        testsupport::LogCapture log;
        DirtyKeys().clear();
        const std::string before = shown();
        EXPECT_EQ(ApplyParamValue(list_, c.key, c.value), c.taken);
        if (c.taken) {
            const auto& entry = *std::find_if(list_.begin(), list_.end(), [&](const ParamEntry& e) {
                return e.label == text::Utf8ToWide(c.key);
            });
            EXPECT_EQ(entry.getter(entry.owner), c.shownOrLogged);
            EXPECT_EQ(DirtyKeys(), DirtyKeySet{entry.key});
            EXPECT_THAT(log.Messages(), ElementsAre(std::string("Updated: ") + c.key + " = " + c.value));
        } else {
            EXPECT_EQ(shown(), before);
            EXPECT_TRUE(DirtyKeys().empty());
            EXPECT_THAT(log.Messages(), ElementsAre(c.shownOrLogged));
        }
    }
}

// A maximum that depends on another value is read when the value is applied; options count as indices.
TEST_F(ApplyParamValueTest, BoundsAreReadWhenTheValueIsApplied) {
    g_.peak = 3000;
    EXPECT_FALSE(ApplyParamValue(list_, "Max Speed", "4500"));
    g_.peak = 8000;
    EXPECT_TRUE(ApplyParamValue(list_, "Max Speed", "4500"));
    EXPECT_EQ(g_.Speed(), 4500);
    list_[5].optionCount = 2;  // "Forward", "Reverse"
    EXPECT_TRUE(ApplyParamValue(list_, "Direction", "1"));
    EXPECT_FALSE(ApplyParamValue(list_, "Direction", "2"));
    EXPECT_EQ(g_.Level(), 1);
}

// The lists hold entries whose owners live elsewhere: a list once handed out stays where it is.
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
