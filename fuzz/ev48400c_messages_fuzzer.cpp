// Every EV48-400-C message class parses arbitrary bytes: a refused frame leaves the stored group as it
// was, and an accepted group written out and parsed again gives the same frame.
#include "ev48400c/message_store.h"
#include "fuzz/fuzz_support.h"

namespace {

using fuzzsupport::Check;

template <typename T>
void CheckRoundTrip(const T& parsed) {
    const Frame written = parsed.Serialize();
    if (written.empty()) return;
    T again;
    Check(again.Parse(written), "a written group parses");
    Check(again.Serialize() == written, "a written group parses back to the same frame");
}

template <typename T>
void Probe(std::shared_ptr<T>& stored, const Frame& frame) {
    const Frame before = stored->Serialize();
    if (!EV48400C::ParseInto(stored, frame)) {
        Check(stored->Serialize() == before, "a refused frame leaves the group as it was");
        return;
    }
    CheckRoundTrip(*stored);
    EV48400C::ParseInto(stored, before);  // the next input starts from the same values
}

template <typename T>
void ProbeUnstored(const Frame& frame) {
    T fresh;
    if (fresh.Parse(frame)) CheckRoundTrip(fresh);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::Setup();
    const Frame frame(data, data + size);
    const bool d5 = EV48400C::isD5Model;
    fuzzsupport::ForEachEvGroup([&frame, d5](auto& stored, uint8_t) {
        Probe(stored, frame);
        EV48400C::isD5Model = d5;  // live data names the model; the next input starts from the same one
    });
    ProbeUnstored<EV48400C::CycleRequestPC2MCU>(frame);
    ProbeUnstored<EV48400C::CommandResponse_MCU2PC>(frame);
    fuzzsupport::ForgetLog();
    return 0;
}
