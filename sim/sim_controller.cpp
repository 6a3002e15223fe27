#include "sim/sim_controller.h"

#include <map>
#include <stdexcept>

namespace sim {

namespace {
std::map<std::string, SimControllerFactory>& Factories() {
    static std::map<std::string, SimControllerFactory> factories;
    return factories;
}
}  // namespace

bool ParseTercelCheckByte(const std::string& text, SimBehaviour& behaviour) {
    if (text == "sum") {
        behaviour.tercelCheckByte = SimBehaviour::CheckByte::NegatedSum;
        return true;
    }
    if (text == "xor") {
        behaviour.tercelCheckByte = SimBehaviour::CheckByte::Xor;
        return true;
    }
    size_t used = 0;
    unsigned long value = 0;
    try {
        value = std::stoul(text, &used, 0);
    } catch (const std::exception&) {
        return false;
    }
    if (used != text.size() || value > 0xFF) return false;
    behaviour.tercelCheckByte = SimBehaviour::CheckByte::Constant;
    behaviour.tercelCheckConstant = static_cast<uint8_t>(value);
    return true;
}

void RegisterSimController(const std::string& family, SimControllerFactory factory) {
    Factories()[family] = std::move(factory);
}

std::unique_ptr<SimController> MakeSimController(const std::string& family) {
    const auto found = Factories().find(family);
    return found == Factories().end() ? nullptr : found->second();
}

std::vector<std::string> SimFamilies() {
    std::vector<std::string> names;
    for (const auto& [name, factory] : Factories()) names.push_back(name);
    return names;
}

}  // namespace sim
