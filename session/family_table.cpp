#include "session/family_table.h"

#include <array>

#include "core/log.h"
#include "core/param_registry.h"
#include "core/text.h"

namespace session {

namespace {

bool UnknownController() {
    Log("ERROR: Unknown Controller");
    return false;
}

std::optional<std::string> NoFrame(std::string_view) {
    return std::nullopt;
}

RawFrameOutcome InvalidFrame(std::string_view) {
    return {std::string("Invalid Frame"), std::string()};
}

// What the operations do while no controller is connected: nothing, and say so.
const FamilyOps& NoFamilyOps() {
    static const FamilyOps ops = {
        Family::None,
        "",
        0,
        0,
        nullptr,
        false,
        [] { return std::shared_ptr<ControllerInterface>(); },
        UnknownController,
        [] {},
        [](const ParamEntry&) { return false; },
        [] { return std::vector<std::string>(); },
        [] {
            UnknownController();
            WriteOutcome outcome;
            outcome.notConfirmed.assign(DirtyKeys().begin(), DirtyKeys().end());
            return outcome;
        },
        [](const std::wstring&) { return false; },
        [](const std::wstring&) { return false; },
        datafiles::EmptyLayout,
        [](const FaultDescriber&) { return FaultRows{}; },
        {InvalidFrame, InvalidFrame, NoFrame, NoFrame, 0},
        nullptr,
        [] {},
        [] { return ControllerBanner{}; },
        [] {},
        nullptr,
    };
    return ops;
}

}  // namespace

std::span<const FamilyOps* const> Families() {
    static const std::array<const FamilyOps*, 3> families = {&FjOps(), &Ev48400cOps(), &TercelOps()};
    return families;
}

const FamilyOps* Find(Family family) {
    for (const FamilyOps* ops : Families())
        if (ops->family == family) return ops;
    return nullptr;
}

const FamilyOps& Ops(Family family) {
    const FamilyOps* ops = Find(family);
    return ops ? *ops : NoFamilyOps();
}

std::string FamilyName(Family family) {
    const FamilyOps* ops = Find(family);
    return ops ? ops->name : std::string();
}

std::optional<Family> FamilyFromName(std::string_view name) {
    for (const FamilyOps* ops : Families())
        if (text::EqualsNoCase(name, ops->name)) return ops->family;
    return std::nullopt;
}

Family FamilyOfEventCode(uint32_t code) {
    for (const FamilyOps* ops : Families())
        if (ops->eventCode == code) return ops->family;
    return Family::None;
}

}  // namespace session
