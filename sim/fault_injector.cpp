#include "sim/fault_injector.h"

namespace sim {

std::optional<FaultKind> ParseFaultKind(const std::string& name) {
    if (name == "none") return FaultKind::None;
    if (name == "silent") return FaultKind::Silent;
    if (name == "garble") return FaultKind::Garble;
    if (name == "drop") return FaultKind::Drop;
    if (name == "short") return FaultKind::Short;
    return std::nullopt;
}

FaultInjector::FaultInjector(FaultKind kind, double rate, uint32_t seed)
    : kind_(kind), rate_(rate), random_(seed) {}

Bytes FaultInjector::Apply(Bytes answer) {
    if (kind_ == FaultKind::None || answer.empty()) return answer;
    // Draw from the generator the same way every time, so a seed gives the same run whatever the answers.
    const double draw = std::uniform_real_distribution<double>(0.0, 1.0)(random_);
    const size_t position = std::uniform_int_distribution<size_t>(0, answer.size() - 1)(random_);
    if (draw >= rate_) return answer;
    switch (kind_) {
        case FaultKind::Silent:
            return {};
        case FaultKind::Garble:
            answer[position] = static_cast<uint8_t>(~answer[position]);
            return answer;
        case FaultKind::Drop:
            answer.erase(answer.begin() + static_cast<std::ptrdiff_t>(position));
            return answer;
        case FaultKind::Short:
            answer.resize(answer.size() / 2);
            return answer;
        case FaultKind::None:
            break;
    }
    return answer;
}

}  // namespace sim
