// Arbitrary text typed into any entry of any family, through a profile line and through the tuning
// page's editor: a refused value changes no stored value and marks nothing.
#include <fuzzer/FuzzedDataProvider.h>

#include "core/param_registry.h"
#include "core/text.h"
#include "datafiles/tuning_layout.h"
#include "fuzz/fuzz_support.h"
#include "session/family_table.h"
#include "session/tuning_edit.h"

namespace {

using fuzzsupport::Check;

struct Target {
    Family family;
    EntryList* list;
};

std::vector<Target> AllLists() {
    std::vector<Target> targets;
    for (const session::FamilyOps* ops : session::Families())
        for (const auto& tab : ops->layout())
            for (const EntryList* list : datafiles::SectionLists(tab.sections))
                // The registry hands out the lists it owns; edits change them in place.
                if (list && !list->empty()) targets.push_back({ops->family, const_cast<EntryList*>(list)});
    return targets;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<Target> targets = (fuzzsupport::Setup(), AllLists());
    if (targets.empty()) return 0;
    FuzzedDataProvider input(data, size);
    const Target& target = targets[input.ConsumeIntegralInRange<size_t>(0, targets.size() - 1)];
    const size_t index = input.ConsumeIntegralInRange<size_t>(0, target.list->size() - 1);
    const bool throughEditor = input.ConsumeBool();
    const std::string typed = input.ConsumeRemainingBytesAsString();

    DirtyKeys().clear();
    const std::string before = fuzzsupport::Snapshot();
    if (throughEditor) {
        const ParamEntry entry = (*target.list)[index];
        const std::wstring opened = text::Utf8ToWide(entry.getter(entry.owner));
        const auto result = session::CommitEdit(target.family, entry, text::Utf8ToWide(typed), opened);
        Check(result.outcome == session::EditOutcome::Stored || fuzzsupport::Snapshot() == before,
              "a refused edit changes nothing");
    } else {
        const std::string label = text::WideToUtf8((*target.list)[index].label);
        // Taken or not is known only once the value is applied, before the snapshot is compared.
        Check(ApplyParamValue(*target.list, label, typed) || fuzzsupport::Snapshot() == before,
              "a refused profile value changes nothing");
    }
    DirtyKeys().clear();
    fuzzsupport::ForgetLog();
    return 0;
}
