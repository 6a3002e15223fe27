// The process-wide parameter lists and the set of changed keys.
//
// Every family, page, driver and data file reaches them here: ParamRegistry::Instance().List(name)
// gives the one list of that name (created empty on first use; references stay valid for the life of
// the process), DirtyKeys() the one set of keys edited or imported since the last write.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>

#include "core/param_entry.h"

using DirtyKeySet = std::set<std::wstring>;  // ordered: the drivers write in ascending key order

class ParamRegistry {
public:
    static ParamRegistry& Instance();

    EntryList& List(std::string_view name);
    DirtyKeySet& DirtyKeys() { return dirtyKeys_; }

    // Empties every list and the dirty set (tests; a fresh connect rebuilds the lists anyway).
    void Clear();

private:
    std::map<std::string, EntryList, std::less<>> lists_;
    DirtyKeySet dirtyKeys_;
};

inline DirtyKeySet& DirtyKeys() {
    return ParamRegistry::Instance().DirtyKeys();
}
