#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "core/param_registry.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/message_store.h"
#include "tests/ev48400c/test_frames.h"
#include "tests/support/families.h"

namespace {

using namespace EV48400C;
using ev48test::Entry;
using ev48test::MakeFrame;
using ev48test::Set;
using ev48test::Shown;

std::set<size_t> Span(size_t first, size_t last) {
    std::set<size_t> positions;
    for (size_t p = first; p <= last; ++p) positions.insert(p);
    return positions;
}

struct Group {
    const char* name;
    uint8_t id;
    bool (*take)(const Frame&);
    Frame (*serialize)();
    std::set<size_t> covered;  // payload positions taken from the controller and written back
};

template <auto Member>
Group MakeGroup(const char* name, uint8_t id, std::set<size_t> covered = {}) {
    return {name, id, [](const Frame& frame) { return ParseInto(Messages().*Member, frame); },
            [] { return (Messages().*Member)->Serialize(); }, std::move(covered)};
}

const Group kGroups[] = {
    MakeGroup<&MessageStore::firmwareVersion>("FirmwareVersion", 50, Span(4, 17)),
    MakeGroup<&MessageStore::mileage>("Mileage", 51, Span(6, 9)),
    MakeGroup<&MessageStore::temperatureRegulation>("TemperatureRegulation", 52, Span(4, 17)),
    MakeGroup<&MessageStore::acceleratorPedal>("AcceleratorPedal", 53, Span(4, 41)),
    MakeGroup<&MessageStore::hillControl>("HillControl", 54, Span(4, 11)),
    MakeGroup<&MessageStore::lowSideDrive>("LowSideDrive", 55, Span(4, 21)),
    MakeGroup<&MessageStore::motorParameters>("MotorParameters", 56, Span(4, 41)),
    MakeGroup<&MessageStore::standardGearMode>("StandardGearMode", 57,
                                               {4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16, 20}),
    MakeGroup<&MessageStore::liveData>("CycleResponse", 41),
    MakeGroup<&MessageStore::faultList>("FaultList", 49),
};

const Group& GroupOf(uint8_t id) {
    for (const auto& group : kGroups)
        if (group.id == id) return group;
    throw std::out_of_range("no group " + std::to_string(id));
}

using Ev48Groups = testsupport::FreshFamilies;

// Every group as the controller gave it with an all-zero payload.
void TakeZeroGroups() {
    testsupport::ResetFamilies();
    for (const auto& group : kGroups) ASSERT_TRUE(group.take(MakeFrame(group.id))) << group.name;
}

TEST_F(Ev48Groups, EachGroupTakesOnlyItsOwnFrameAndWritesEveryFieldWhereItWasRead) {
    for (const auto& group : kGroups) {
        SCOPED_TRACE(group.name);
        EXPECT_FALSE(group.take(MakeFrame(group.id == 50 ? 51 : 50)));
        if (group.covered.empty()) continue;
        Frame in = MakeFrame(group.id);
        for (size_t p = 4; p < 52; ++p) in[p] = static_cast<uint8_t>(0x80 + p);
        ev48test::FixChecksum(in);
        Frame expected = MakeFrame(group.id);
        for (size_t p : group.covered) expected[p] = in[p];
        ev48test::FixChecksum(expected);
        ASSERT_TRUE(group.take(in));
        EXPECT_EQ(group.serialize(), expected);
    }
}

TEST_F(Ev48Groups, BadFrameKeepsTheStoredGroupAndItsEntries) {
    ASSERT_TRUE(ParseInto(Messages().acceleratorPedal, MakeFrame(53, {{14, 40}})));
    const void* owner = Messages().acceleratorPedal.get();
    Frame garbled = MakeFrame(53, {{14, 90}});
    garbled[52] ^= 1;
    EXPECT_FALSE(ParseInto(Messages().acceleratorPedal, garbled));
    Frame cutShort = MakeFrame(53, {{14, 90}});
    cutShort.resize(12);
    EXPECT_FALSE(ParseInto(Messages().acceleratorPedal, cutShort));
    EXPECT_EQ(Shown(kAccelerationList, L"ForwardAcceleration500"), "40");

    ASSERT_TRUE(ParseInto(Messages().acceleratorPedal, MakeFrame(53, {{14, 90}})));
    EXPECT_EQ(Messages().acceleratorPedal.get(), owner);
    EXPECT_EQ(Entry(kAccelerationList, L"ForwardAcceleration500").owner, owner);
    EXPECT_EQ(Shown(kAccelerationList, L"ForwardAcceleration500"), "90");
}

// A typed value is stored as value / scale, truncated and held to its limits, in its own word only.
TEST_F(Ev48Groups, EntriesStoreTheirValueInTheirOwnWord) {
    const struct {
        std::string_view list;
        const wchar_t* key;
        const char* typed;
        uint8_t id;
        size_t position;
        uint16_t raw;
        const char* shown;
    } cases[] = {
        {kAcceleratorList, L"Accelerator_MaxValue_V", "2.3", 53, 6, 229, "2.3"},
        {kLowSideDriveList, L"mainRelayPullinVolt", "48", 55, 10, 480, "48.0"},
        {kHillControlList, L"Slide_Kp", "0.25", 54, 8, 250, "0.250"},
        {kMileageList, L"VehicleSpeedRatio", "12.5", 51, 8, 125, "12.5"},
        {kSpeedLoopList, L"CANBaudrate", "5", 57, 20, 5, "500KBit/s"},
        {kTemperatureList, L"underTempCtZeroPw", "-40", 52, 16, 0xFFD8, "-40"},
        {kHillControlList, L"Slide_MaxMotorSpeed", "700", 54, 6, 600, "600"},
        {kMotorSpeedList, L"motorPeakSpeed", "9000", 56, 10, 8000, "8000"},
        {kMotorTorqueList, L"genTorque_0_1000", "7.5", 56, 30, 7, "7"},
        {kMotorTorqueList, L"genTorque_5000_max", "55", 56, 40, 55, "55"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " for " + text::WideToUtf8(c.key));
        TakeZeroGroups();
        Set(c.list, c.key, c.typed);
        const Frame frame = GroupOf(c.id).serialize();
        for (size_t p = 4; p < 52; ++p) {
            const int expected = p == c.position ? c.raw & 0xFF : p == c.position + 1 ? c.raw >> 8 : 0;
            EXPECT_EQ(frame[p], expected) << "at " << p;
        }
        EXPECT_EQ(Shown(c.list, c.key), c.shown);
    }
}

TEST_F(Ev48Groups, SettersRefuseWhatDoesNotFitAndKeepTheValue) {
    TakeZeroGroups();
    ASSERT_TRUE(ParseInto(Messages().acceleratorPedal, MakeFrame(53, {{6, 0xF4}, {7, 0x01}})));
    const struct {
        std::string_view list;
        const wchar_t* key;
        const char* typed;
    } cases[] = {{kAcceleratorList, L"Accelerator_MaxValue_V", "abc"},
                 {kAcceleratorList, L"Accelerator_MaxValue_V", "700"},
                 {kAcceleratorList, L"Accelerator_MaxValue_V", "-1"},
                 {kAcceleratorList, L"Accelerator_MaxValue_V", "1e39"},
                 {kMotorTorqueList, L"genTorque_0_1000", "70000"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const std::string before = Shown(c.list, c.key);
        EXPECT_ANY_THROW(Set(c.list, c.key, c.typed));
        EXPECT_EQ(Shown(c.list, c.key), before);
    }
}

}  // namespace
