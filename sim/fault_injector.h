// Line faults on the simulator's answers, reproducible from a seed.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>

#include "sim/sim_controller.h"

namespace sim {

enum class FaultKind { None, Silent, Garble, Drop, Short };

std::optional<FaultKind> ParseFaultKind(const std::string& name);

class FaultInjector {
public:
    FaultInjector(FaultKind kind, double rate, uint32_t seed);
    // The answer as it reaches the wire; an empty result means nothing is sent.
    //   silent: no answer;  garble: one byte inverted;  drop: one byte left out;  short: cut to half.
    Bytes Apply(Bytes answer);

private:
    FaultKind kind_;
    double rate_;
    std::mt19937 random_;
};

}  // namespace sim
