#include "ev48400c/message_store.h"

#include "ev48400c/entry_lists.h"

namespace EV48400C {

MessageStore& Messages() {
    static MessageStore store;
    return store;
}

void ResetMessages() {
    for (const auto name : kAllLists) List(name).clear();
    Messages() = MessageStore{};
}

void ResetFamily() {
    ResetMessages();
    isD5Model = false;
}

}  // namespace EV48400C
