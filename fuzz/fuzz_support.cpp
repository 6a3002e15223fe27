#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <random>

#include "core/log.h"
#include "core/param_registry.h"
#include "core/text.h"
#include "ev48400c/frame_codec.h"
#include "fj/parameter_table.h"
#include "fj/value_table.h"
#include "tercel/command_codec.h"
#include "tercel/family_state.h"
#include "tercel/get_info.h"
#include "tercel/tercel_controller.h"

namespace fuzzsupport {

namespace {

void FillFamilies() {
    ForEachEvGroup([](auto& stored, uint8_t id) {
        Frame frame = EV48400C::NewFrame(id);  // a payload that differs from byte to byte
        for (size_t p = EV48400C::kPayloadStart; p < EV48400C::kChecksumPosition; ++p)
            frame[p] = static_cast<uint8_t>(p * 7 + 3);
        EV48400C::ParseInto(stored, EV48400C::SealFrame(std::move(frame), "fuzz"));
    });

    auto& table = FJ::FjValueTable::Instance();
    for (size_t g = 0; g < FJ::kGroupCount; ++g)
        for (size_t i = 0; i < FJ::kIndexCount; ++i)
            table.Set(static_cast<uint8_t>(g), static_cast<uint8_t>(i),
                      static_cast<uint16_t>(g * 131 + i * 17 + 1));
    FJ::BuildEntryLists();

    // The port is closed: every register keeps the value set here, and the blocks publish their lists.
    for (uint32_t address = 0; address < 0x400; address += 3)
        Tercel::Registers()[static_cast<uint16_t>(address)] = static_cast<uint16_t>(address * 5 + 1);
    Frame identity(Tercel::kIdentityAnswerLength, 0);
    identity[0] = Tercel::kSom;
    identity[2] = 3;
    identity[5] = 2;
    identity[6] = 7;
    for (size_t i = 13; i < identity.size(); ++i) identity[i] = 'A' + static_cast<uint8_t>(i % 26);
    Tercel::TakeIdentity(identity);
    Tercel::TercelController().ReadAll();
    DirtyKeys().clear();
}

}  // namespace

InstantPrompter& Setup() {
    static InstantPrompter* prompter = [] {
        const auto folder = std::filesystem::temp_directory_path() /
                            ("vantrel-fuzz-" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(folder);
        logdetail::SetDirectoryOverride(folder);
        auto* installed = new InstantPrompter;
        installed->file = folder / "input.vtdata";
        SetPrompter(installed);
        SetStatusListener({});
        FillFamilies();
        ForgetLog();
        return installed;
    }();
    return *prompter;
}

void ForgetLog() {
    logdetail::Reset();
}

std::vector<uint16_t> FjValues() {
    std::vector<uint16_t> values;
    const auto& table = FJ::FjValueTable::Instance();
    for (uint8_t g = 0; g < FJ::kGroupCount; ++g)
        for (uint8_t i = 0; i < FJ::kIndexCount; ++i) values.push_back(table.Get(g, i));
    return values;
}

std::string Snapshot() {
    std::string out;
    ForEachEvGroup([&out](const auto& stored, uint8_t) {
        const Frame frame = stored ? stored->Serialize() : Frame{'-'};
        out.append(frame.begin(), frame.end());
        out += '|';
    });
    out += EV48400C::isD5Model ? "D5|" : "-|";
    for (const uint16_t v : FjValues()) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>(v >> 8);
    }
    std::vector<std::pair<uint16_t, uint16_t>> registers(Tercel::Registers().begin(),
                                                         Tercel::Registers().end());
    std::sort(registers.begin(), registers.end());
    // A register never read reads as 0 and may be added as 0 by any reader: only values count.
    for (const auto& [address, value] : registers)
        if (value != 0) out += std::to_string(address) + '=' + std::to_string(value) + ',';
    if (const auto& identity = Tercel::Objects().identity) out += identity->Describe();
    for (const auto& key : DirtyKeys()) out += '|' + text::WideToUtf8(key);
    return out;
}

}  // namespace fuzzsupport
