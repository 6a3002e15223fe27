#include "ev48400c/message_store.h"

#include "ev48400c/entry_lists.h"

namespace EV48400C {

MessageStore& Messages() {
    static MessageStore store;
    return store;
}

std::set<const void*>& TakenThisRead() {
    static std::set<const void*> taken;
    return taken;
}

bool EntryWasRead(const ParamEntry& entry) {
    return TakenThisRead().count(entry.owner) != 0;
}

void ResetMessages() {
    for (const auto name : kAllLists) List(name).clear();
    Messages() = MessageStore{};
    TakenThisRead().clear();
}

void ResetFamily() {
    ResetMessages();
    isD5Model = false;
}

}  // namespace EV48400C
