#include "serial/port_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/log_capture.h"

using testing::ElementsAre;
using testing::IsEmpty;

TEST(PortList, CutsThePortOutOfADisplayName) {
    struct Case {
        const char* name;
        std::optional<std::string> port;
    };
    const Case kCases[] = {
        {"USB-SERIAL CH340 (COM3)", "COM3"},
        {"Communications Port (COM1)", "COM1"},
        {"Prolific USB-to-Serial Comm Port (COM12)", "COM12"},
        {"Serial0 (COM1)", "COM1"},
        {"Two (COM4) ports (COM5)", "COM4"},
        {"Port (COM7", std::nullopt},
        {"Wine PnP Device", std::nullopt},
        {"(COM", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PortFromDisplayName(c.name), c.port);
    }
}

TEST(PortList, NamesARegistryEntryLikeWmi) {
    EXPECT_EQ(SerialCommDisplayName("\\Device\\Serial0", "COM1"), "Serial0 (COM1)");
    EXPECT_EQ(SerialCommDisplayName("\\Device\\VCP0", "COM12"), "VCP0 (COM12)");
    EXPECT_EQ(SerialCommDisplayName("Serial2", "COM3"), "Serial2 (COM3)");
}

TEST(PortList, PrefersTheCh340Cable) {
    const SerialPortInfo com1{"COM1", "Communications Port (COM1)"};
    const SerialPortInfo ch340{"COM5", "USB-SERIAL CH340 (COM5)"};
    const SerialPortInfo lower{"COM6", "usb-serial ch340 (COM6)"};
    const SerialPortInfo other{"COM7", "Prolific USB-to-Serial Comm Port (COM7)"};
    struct Case {
        const char* what;
        std::vector<SerialPortInfo> ports;
        int selected;
    };
    const Case kCases[] = {
        {"CH340 second", {com1, ch340}, 1},
        {"CH340 first", {ch340, com1}, 0},
        {"no CH340 among three", {com1, other, lower}, 0},
        {"lower-case ch340 does not count", {lower, ch340}, 1},
        {"a single port without CH340", {other}, 0},
        {"no ports", {}, -1},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(AutoSelectPort(c.ports), c.selected);
    }
}

TEST(PortList, RefreshLogsTheAutoSelection) {
    testsupport::LogCapture log;
    const PortChoice choice = RefreshPorts([] {
        return std::vector<SerialPortInfo>{{"COM1", "Communications Port (COM1)"},
                                           {"COM5", "USB-SERIAL CH340 (COM5)"}};
    });
    EXPECT_EQ(choice.ports.size(), 2u);
    EXPECT_EQ(choice.selected, 1);
    EXPECT_TRUE(choice.CanConnect());
    EXPECT_THAT(log.Messages(), ElementsAre("Auto-selected port: COM5"));
}

TEST(PortList, RefreshWithoutPortsSelectsNothing) {
    testsupport::LogCapture log;
    const PortChoice choice = RefreshPorts([] { return std::vector<SerialPortInfo>{}; });
    EXPECT_EQ(choice.selected, -1);
    EXPECT_FALSE(choice.CanConnect());
    EXPECT_THAT(log.Messages(), IsEmpty());
}
