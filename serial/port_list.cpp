#include "serial/port_list.h"

#include "core/log.h"

namespace {

constexpr std::string_view kBridgeChip = "CH340";
constexpr std::string_view kPortOpening = "(COM";

}  // namespace

std::optional<std::string> PortFromDisplayName(std::string_view displayName) {
    const size_t open = displayName.find(kPortOpening);
    if (open == std::string_view::npos) return std::nullopt;
    const size_t close = displayName.find(')', open);
    if (close == std::string_view::npos) return std::nullopt;
    return std::string(displayName.substr(open + 1, close - open - 1));
}

std::string SerialCommDisplayName(std::string_view deviceName, std::string_view port) {
    const size_t slash = deviceName.find_last_of('\\');
    const std::string_view device =
        slash == std::string_view::npos ? deviceName : deviceName.substr(slash + 1);
    return std::string(device) + " (" + std::string(port) + ")";
}

int AutoSelectPort(const std::vector<SerialPortInfo>& ports) {
    for (size_t i = 0; i < ports.size(); ++i) {
        if (ports[i].name.find(kBridgeChip) != std::string::npos) return static_cast<int>(i);
    }
    return ports.empty() ? -1 : 0;
}

PortChoice RefreshPorts(const PortLister& listPorts) {
    PortChoice choice;
    choice.ports = listPorts();
    choice.selected = AutoSelectPort(choice.ports);
    if (choice.selected >= 0) {
        Log("Auto-selected port: " + choice.ports[static_cast<size_t>(choice.selected)].port);
    }
    return choice;
}
