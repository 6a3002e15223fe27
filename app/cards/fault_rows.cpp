#include "app/cards/fault_rows.h"

#include "core/text.h"
#include "ev48400c/entry_lists.h"
#include "fj/fault_records.h"
#include "fj/fj_controller.h"

namespace app {

namespace {

std::wstring Number(uint32_t value) {
    return std::to_wstring(value);
}

FaultRows Ev48400cRows() {
    FaultRows rows;
    rows.current.columns = {{L"Code", 50}, {L"Name", 400}};
    rows.historical.columns = {{L"Code", 50}, {L"Section", 50}, {L"Data", 50}, {L"Name", 300}};
    for (const ParamEntry& entry : EV48400C::List(EV48400C::kFaultList)) {
        if (!entry.getter) continue;
        // Only exactly "1" is an active fault: a counter that reads "10" is not.
        std::string value;
        try {
            value = entry.getter(entry.owner);
        } catch (...) {
            continue;
        }
        if (value == "1") rows.current.rows.push_back({entry.key, entry.label});
    }
    return rows;
}

FaultRows FjRows(const FaultDescriber& describe) {
    FaultRows rows;
    rows.current.columns = {{L"#", 30}, {L"Code", 50}, {L"Level", 50}, {L"Data", 50}, {L"Description", 270}};
    rows.historical.columns = {{L"#", 30},     {L"Code", 50}, {L"Level", 50},
                               {L"Times", 50}, {L"Data", 50}, {L"Description", 220}};
    const auto description = [&](uint16_t code) {
        return describe ? text::Utf8ToWide(describe(code)) : std::wstring();
    };
    for (const FJ::FaultRecord& r : FJ::FaultRecords(FJ::FaultTable::Current))
        rows.current.rows.push_back({Number(static_cast<uint32_t>(r.number)), Number(r.code), Number(r.level),
                                     Number(r.data), description(r.code)});
    for (const FJ::FaultRecord& r : FJ::FaultRecords(FJ::FaultTable::Historical))
        rows.historical.rows.push_back({Number(static_cast<uint32_t>(r.number)), Number(r.code),
                                        Number(r.level), Number(r.times), Number(r.data),
                                        description(r.code)});
    return rows;
}

}  // namespace

FaultRows BuildFaultRows(datafiles::Family family, const FaultDescriber& describe) {
    switch (family) {
        case datafiles::Family::EV48400C:
            return Ev48400cRows();
        case datafiles::Family::FJ:
            return FjRows(describe);
        case datafiles::Family::Tercel: {
            // The controller reports no faults yet; its columns are shown so the page looks the same.
            FaultRows rows;
            rows.current.columns = {{L"Code", 50}, {L"Times", 50}, {L"Name", 350}};
            rows.historical.columns = {{L"Code", 50}, {L"Name", 225}};
            return rows;
        }
        case datafiles::Family::None:
            break;
    }
    return {};
}

FaultDescriber FjErrorCodeFileDescriber() {
    return [](int32_t code) { return FJ::FJController().LookupErrorCode(code).text1; };
}

const std::vector<std::wstring>& FjFaultLegendLines() {
    static const std::vector<std::wstring> lines = {
        L"FJ Fault Levels:",
        L"1: The main circuit breaker is disconnected and all functions of the motor are prohibited",
        L"2: All functions of the motor are prohibited",
        L"3 : The maximum speed of motor is limited",
        L"5 : The maximum output power of the motor has been reduced",
        L"6 : The maximum speed of motor is limited",
        L"15 : The corresponding power output port is disabled",
        L"16 : The corresponding power output port is disabled",
        L"20 : Warning, no impact on system",
    };
    return lines;
}

}  // namespace app
