// What every fuzz target shares: a log that never reaches a file, a prompter that answers at once, and
// the three families filled with known values, so that a refused input can be seen to change nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/prompter.h"
#include "ev48400c/message_store.h"

namespace fuzzsupport {

// Stops the run with a message libFuzzer keeps beside the input that caused it.
inline void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
}

// Pauses pass at once; file dialogs answer with the scratch file; questions are refused.
class InstantPrompter final : public Prompter {
public:
    void ShowMessage(const std::wstring&, const std::wstring&, MessageIcon) override {}
    bool Confirm(const std::wstring&, const std::wstring&) override { return false; }
    std::optional<std::filesystem::path> ChooseOpenFile(const FileDialogRequest&) override { return file; }
    std::optional<std::filesystem::path> ChooseSaveFile(const FileDialogRequest&) override { return file; }
    void Pause(uint32_t) override {}

    std::filesystem::path file;
};

// Once per process: the log and the scratch file in a folder of their own, the prompter installed, no
// status listener, and every family's groups and lists made with values that are not zero, as after a
// read. Called again, it only hands back the prompter.
InstantPrompter& Setup();
// Drops the lines logged by the last input, so memory stays flat over millions of inputs.
void ForgetLog();

// f(stored group, its message id) for every EV48-400-C group the message store holds.
template <typename F>
void ForEachEvGroup(F&& f) {
    auto& m = EV48400C::Messages();
    f(m.liveData, EV48400C::kCycleResponseId);
    f(m.firmwareVersion, EV48400C::kFirmwareVersionId);
    f(m.motorParameters, EV48400C::kMotorParametersId);
    f(m.standardGearMode, EV48400C::kStandardGearModeId);
    f(m.mileage, EV48400C::kMileageId);
    f(m.acceleratorPedal, EV48400C::kAcceleratorPedalId);
    f(m.lowSideDrive, EV48400C::kLowSideDriveId);
    f(m.temperatureRegulation, EV48400C::kTemperatureRegulationId);
    f(m.hillControl, EV48400C::kHillControlId);
    f(m.faultList, EV48400C::kFaultListId);
}

// Every FJ value, group by group.
std::vector<uint16_t> FjValues();

// Everything a refused input must leave alone: the stored values of all three families, the Tercel
// identity and the set of changed keys.
std::string Snapshot();

}  // namespace fuzzsupport
