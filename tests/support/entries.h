// An entry of a registered list by its key, its shown value, and a value stored through its setter.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "core/param_registry.h"
#include "core/text.h"

namespace testsupport {

inline const ParamEntry& Entry(std::string_view list, const std::wstring& key) {
    for (const auto& entry : ParamRegistry::Instance().List(list))
        if (entry.key == key) return entry;
    throw std::out_of_range("no entry " + text::WideToUtf8(key));
}

inline std::string Shown(std::string_view list, const std::wstring& key) {
    const auto& entry = Entry(list, key);
    return entry.getter(entry.owner);
}

inline void Set(std::string_view list, const std::wstring& key, const std::string& value) {
    const auto& entry = Entry(list, key);
    entry.setter(entry.owner, value);
}

}  // namespace testsupport
