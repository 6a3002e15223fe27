// The simulators' state files: one "name=HEX" line per stored block of bytes.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "sim/sim_controller.h"

namespace sim {

std::string BlocksToText(const std::map<std::string, Bytes>& blocks);
// Nothing when a line is not "name=HEX" with an even number of hex digits.
std::optional<std::map<std::string, Bytes>> BlocksFromText(const std::string& text);

}  // namespace sim
