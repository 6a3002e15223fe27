#include "tercel/drive_info.h"

#include "tercel/entry_lists.h"
#include "tercel/register_entries.h"

namespace Tercel {

namespace {

constexpr ValueName kMotorTypes[] = {
    {1, "PMSM: Permanent Magnet Synchronous"},
    {2, "ACIM: AC Asynchronous"},
};

}  // namespace

std::string DriveInfo::Describe() const {
    return DescribeEntries(this, {&List(kDriveInfoList)});
}

void DriveInfo::BuildParamEntries() {
    const auto raw = [this](uint16_t address, const wchar_t* label) {
        return ShownEntry(this, {address, label, ParamKind::UInt16, L""}, RawGetter(address));
    };
    List(kDriveInfoList) = {
        raw(126, L"Application Software ID"),
        raw(128, L"Application Software Version"),
        raw(134, L"Firmware ID"),
        raw(136, L"Firmware Version"),
        raw(130, L"Motor Software ID"),
        ShownEntry(this, {132, L"Motor Type", ParamKind::Text, L""}, MappedGetter(132, kMotorTypes)),
        raw(122, L"Frame ID"),
        raw(124, L"Configuration ID"),
    };
}

}  // namespace Tercel
