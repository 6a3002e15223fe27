// Tercel answers and replayed frames from arbitrary bytes: the response check never reads past a frame,
// and a frame the handler refuses changes no register, no changed key and not the identity.
#include "core/param_registry.h"
#include "fuzz/fuzz_support.h"
#include "tercel/command_codec.h"
#include "tercel/family_state.h"
#include "tercel/get_info.h"

namespace {

using fuzzsupport::Check;

std::string IdentityText() {
    const auto& identity = Tercel::Objects().identity;
    return identity ? identity->Describe() : std::string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::Setup();
    const Frame frame(data, data + size);
    const bool valid = Tercel::ValidateResponse(frame);
    if (valid) Check(frame.size() >= Tercel::kReadAnswerLength && frame[0] == Tercel::kSom, "a valid answer");

    Tercel::GetInfo fresh;
    const bool identity = fresh.Parse(frame);
    if (identity) Check(frame.size() >= Tercel::kIdentityAnswerLength, "an identity has all its fields");

    const Tercel::RegisterMap registers = Tercel::Registers();
    const DirtyKeySet dirty = DirtyKeys();
    const std::string shown = IdentityText();
    if (!Tercel::HandleFrame(frame)) {
        Check(Tercel::Registers() == registers, "a refused frame changes no register");
        Check(DirtyKeys() == dirty, "a refused frame marks nothing");
        Check(IdentityText() == shown, "a refused frame keeps the identity");
    } else {
        // The next input starts from the same registers and marks.
        Tercel::Registers() = registers;
        DirtyKeys() = dirty;
    }
    fuzzsupport::ForgetLog();
    return 0;
}
