#include "core/param_entry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>

#include "core/param_registry.h"
#include "tests/support/log_capture.h"

namespace {

using testing::ElementsAre;

enum class Signal : uint8_t { Voltage = 0, Hall = 1, Resistive = 2 };

// A parameter group as the families write them: raw fields, typed accessors, one scaled field.
struct Group {
    uint8_t Level() const { return level_; }
    void SetLevel(uint8_t v) { level_ = v; }
    uint16_t Speed() const { return speed_; }
    void SetSpeed(uint16_t v) { speed_ = v; }
    int16_t Offset() const { return offset_; }
    void SetOffset(int16_t v) { offset_ = v; }
    void SetSignalType(Signal s) { signal_ = s; }
    std::string SignalName() const {
        return std::array{"Voltage", "Hall", "Resistive"}.at(static_cast<size_t>(signal_));
    }
    std::string Name() const { return name_; }
    void SetName(const std::string& n) { name_ = n; }
    uint16_t voltageRaw = 0;
    uint8_t level_ = 0;
    uint16_t speed_ = 0;
    int16_t offset_ = 0;
    Signal signal_ = Signal::Voltage;
    std::string name_;
};

ParamEntry Entry(Group& g, const wchar_t* label, ParamKind kind, const wchar_t* minValue,
                 const wchar_t* maxValue, ParamGetter getter, ParamSetter setter) {
    ParamEntry e{
        L"key:" + std::wstring(label), label, &g, kind, L"", minValue, FixedMax(maxValue), false, {}, {}};
    e.getter = std::move(getter);
    e.setter = std::move(setter);
    return e;
}

// A value the field holds is stored (integers truncated toward zero) and marked; anything else is
// refused with its reason and changes nothing. The typed-number rule itself is text_test's, and every
// family's profile refusals are the data-file tests'.
TEST(ApplyParamValue, StoresWhatTheFieldHoldsAndRefusesTheRest) {
    Group g;
    EntryList list = {
        Entry(g, L"Max Speed", ParamKind::UInt16, L"0", L"5000", makeGetter(&Group::Speed),
              makeSetter(&Group::SetSpeed)),
        Entry(g, L"Level", ParamKind::UInt8, L"0", L"400", makeGetter(&Group::Level),
              makeSetter(&Group::SetLevel)),
        Entry(g, L"Offset", ParamKind::Int16, L"-100", L"100", makeGetter(&Group::Offset),
              makeSetter(&Group::SetOffset)),
        Entry(g, L"Signal Type", ParamKind::Enumeration, L"0", L"2", makeGetter(&Group::SignalName),
              makeSetter(&Group::SetSignalType)),
        Entry(g, L"Name", ParamKind::Text, L"", L"", makeGetter(&Group::Name), makeSetter(&Group::SetName)),
        Entry(g, L"Direction", ParamKind::UInt8, L"Forward", L"Reverse", makeGetter(&Group::Level),
              makeSetter(&Group::SetLevel)),
        // A wider bound than the field: the setter must refuse what does not fit.
        Entry(
            g, L"Voltage", ParamKind::Float, L"0", L"99999",
            [](void* o) { return std::to_string(static_cast<Group*>(o)->voltageRaw / 10.0); },
            makeSetter<Group>([](Group* owner, const std::string& t) {
                owner->voltageRaw = text::CheckedScaleU16(std::stod(t), 10);
            })),
        Entry(g, L"Serial", ParamKind::UInt16, L"0", L"65535", makeGetter(&Group::Speed),
              makeSetter(&Group::SetSpeed)),
    };
    list.back().readOnly = true;
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
        {"Signal Type", "2", true, "Resistive"},
        {"Name", "any text at all", true, "any text at all"},
        {"key:Level", "1", false, "No matching entry found for: key:Level"},  // the key is no label
        {"Max Speed", "5001", false, "Value out of range for Max Speed: 5001"},
        {"Max Speed", "2,5", false, "Invalid value for key: Max Speed -> a decimal comma: use a point"},
        {"Direction", "1", false, "Value out of range for Direction: 1"},  // bounds are option names
        {"Level", "300", false, "Setter failed for: Level"},               // inside 0..400 but not 8 bits
        {"Voltage", "12000", false, "Setter failed for: Voltage"},         // 120000 would wrap in 16 bits
        {"Serial", "10", false, "Read-only entry not changed: Serial"},
    };
    const auto shown = [&] {
        std::string all;
        for (const auto& entry : list) all += entry.getter(entry.owner) + ";";
        return all;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        testsupport::LogCapture log;
        DirtyKeys().clear();
        const std::string before = shown();
        EXPECT_EQ(ApplyParamValue(list, c.key, c.value), c.taken);
        if (c.taken) {
            const auto& entry = *std::find_if(list.begin(), list.end(), [&](const ParamEntry& e) {
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

}  // namespace
