#include "core/param_registry.h"

ParamRegistry& ParamRegistry::Instance() {
    static ParamRegistry registry;
    return registry;
}

EntryList& ParamRegistry::List(std::string_view name) {
    auto found = lists_.find(name);
    if (found == lists_.end()) found = lists_.emplace(std::string(name), EntryList{}).first;
    return found->second;
}

void ParamRegistry::Clear() {
    for (auto& [name, list] : lists_) list.clear();
    dirtyKeys_.clear();
}
