#include "serial/port_list.h"

#include <gtest/gtest.h>

#include "tests/support/log_capture.h"

TEST(PortList, CutsThePortOutOfADisplayName) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"USB-SERIAL CH340 (COM3)", "COM3"}, {"Prolific USB-to-Serial Comm Port (COM12)", "COM12"},
        {"Two (COM4) ports (COM5)", "COM4"}, {"Port (COM7", std::nullopt},
        {"Wine PnP Device", std::nullopt},   {"", std::nullopt},
    };
    for (const auto& [name, port] : cases) EXPECT_EQ(PortFromDisplayName(name), port) << name;
    EXPECT_EQ(SerialCommDisplayName("\\Device\\VCP0", "COM12"), "VCP0 (COM12)");
    EXPECT_EQ(SerialCommDisplayName("Serial2", "COM3"), "Serial2 (COM3)");
}

// The cable is picked wherever it is listed, else the first port; the pick is logged.
TEST(PortList, RefreshPrefersTheCh340Cable) {
    const SerialPortInfo com1{"COM1", "Communications Port (COM1)"};
    const SerialPortInfo ch340{"COM5", "USB-SERIAL CH340 (COM5)"};
    const struct {
        std::vector<SerialPortInfo> ports;
        int selected;
        std::vector<std::string> log;
    } cases[] = {
        {{com1, ch340}, 1, {"Auto-selected port: COM5"}},
        {{com1}, 0, {"Auto-selected port: COM1"}},
        {{}, -1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ports.size());
        testsupport::LogCapture log;
        const PortChoice choice = RefreshPorts([&] { return c.ports; });
        EXPECT_EQ(choice.selected, c.selected);
        EXPECT_EQ(choice.CanConnect(), c.selected >= 0);
        EXPECT_EQ(log.Messages(), c.log);
    }
}
