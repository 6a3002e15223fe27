#include "sim/sim_controller.h"

#include <map>

namespace sim {

namespace {
std::map<std::string, SimControllerFactory>& Factories() {
    static std::map<std::string, SimControllerFactory> factories;
    return factories;
}
}  // namespace

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
