#include "ev48400c/firmware_version.h"

#include "core/log.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/enumerations.h"
#include "ev48400c/group_entries.h"

namespace EV48400C {

using C = FirmwareVersion;

const std::array<WordField<C>, 7> C::kLayout = {{
    {4, &C::year_},
    {6, &C::month_},
    {8, &C::day_},
    {10, &C::version_},
    {12, &C::type_},
    {14, &C::reserved14_},
    {16, &C::reserved16_},
}};

bool FirmwareVersion::Parse(const Frame& frame) {
    if (!IsValid(frame)) {
        Log("FirmwareVersion: Invalid data");
        return false;
    }
    ReadFields(frame, *this, kLayout);
    return true;
}

Frame FirmwareVersion::Serialize() const {
    Frame frame = NewFrame(GetId());
    WriteFields(frame, *this, kLayout);
    return SealFrame(std::move(frame), "FirmwareVersion");
}

std::string FirmwareVersion::Describe() const {
    return DescribeEntries(this, {&List(kFirmwareList)});
}

std::string FirmwareVersion::DateText() const {
    std::string date = std::to_string(year_);
    date += '/';
    date += std::to_string(month_);
    date += '/';
    date += std::to_string(day_);
    return date;
}

// Appended rather than concatenated: GCC 12 at -O3 warns falsely about "v" + std::string.
std::string FirmwareVersion::VersionText() const {
    std::string version = "v";
    version += std::to_string(version_);
    return version;
}

std::string FirmwareVersion::TypeText() const {
    return EnumText(kFirmwareTypeNames, type_);
}

// Identification is text to read, not a value to tune: no setter and no limits.
void FirmwareVersion::BuildParamEntries() {
    const auto text = [this](const wchar_t* key, const wchar_t* label, ParamGetter getter) {
        return MakeEntry(this, {key, label, L"", L"", L""}, ParamKind::Text, std::move(getter), nullptr,
                         true);
    };
    List(kFirmwareList) = {
        text(L"firmwareDate", L"Firmware Release Date", makeGetter(&C::DateText)),
        text(L"firmwareVersion", L"Firmware Version", makeGetter(&C::VersionText)),
        text(L"firmwareType", L"Firmware Type", makeGetter(&C::TypeText)),
    };
}

}  // namespace EV48400C
