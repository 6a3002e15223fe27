// The product name and version from the executable's version resource.
#pragma once

#include <string>

namespace app {

struct VersionInfo {
    std::wstring productName;
    std::wstring productVersion;
};

// Empty parts when the resource or a value is missing.
VersionInfo ReadVersionInfo();

}  // namespace app
