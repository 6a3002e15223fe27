// FJ answers and GG:II ids from arbitrary bytes: a refused answer changes no value, an accepted one at
// most the one it addresses, and every id that parses formats back to the same address.
#include "fj/packet_codec.h"
#include "fuzz/fuzz_support.h"

namespace {

using fuzzsupport::Check;

void ProbeId(const std::wstring& id) {
    const auto quiet = FJ::TryParseId(id);
    const auto logged = FJ::ParseId(id);
    Check(quiet.has_value() == logged.has_value(), "both id readers agree");
    if (!quiet) return;
    Check(quiet->group == logged->group && quiet->index == logged->index, "both id readers agree");
    const auto again = FJ::TryParseId(FJ::FormatId(quiet->group, quiet->index));
    Check(again && again->group == quiet->group && again->index == quiet->index,
          "a formatted id parses back");
    const auto request = FJ::BuildWriteRequestFromId(id, 0x1234);
    Check(request.empty() || request.size() == FJ::kRequestLength, "a write request has its full length");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::vector<uint16_t> values = (fuzzsupport::Setup(), fuzzsupport::FjValues());
    const std::vector<uint8_t> packet(data, data + size);
    const bool accepted = FJ::ParseResponse(packet);
    const std::vector<uint16_t> after = fuzzsupport::FjValues();
    size_t changed = 0;
    for (size_t i = 0; i < after.size(); ++i) changed += after[i] != values[i];
    if (!accepted) Check(changed == 0, "a refused answer changes no value");
    Check(changed <= 1, "an answer changes at most the value it addresses");
    values = after;

    // The same bytes as an id typed by a person, once narrow and once as wide characters.
    ProbeId(std::wstring(packet.begin(), packet.end()));
    std::wstring wide;
    for (size_t i = 0; i + 1 < size; i += 2) wide += static_cast<wchar_t>(data[i] | data[i + 1] << 8);
    ProbeId(wide);
    fuzzsupport::ForgetLog();
    return 0;
}
