// The FJ entry of the family table.
#include <filesystem>
#include <system_error>

#include "core/param_registry.h"
#include "core/text.h"
#include "fj/fault_records.h"
#include "fj/fj_controller.h"
#include "fj/packet_codec.h"
#include "fj/parameter_table.h"
#include "fj/raw_frame.h"
#include "fj/value_table.h"
#include "session/family_table.h"

namespace session {

namespace {

std::wstring Number(uint32_t value) {
    return std::to_wstring(value);
}

// What the fault levels mean, one line each.
const std::vector<std::wstring>& FaultLegendLines() {
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

// Descriptions from the maker's error-code file beside the program, unless the caller gives its own.
FaultRows FjFaultRows(const FaultDescriber& given) {
    const FaultDescriber describe =
        given ? given : [](int32_t code) { return FJ::FJController().LookupErrorCode(code).text1; };
    FaultRows rows;
    rows.current.columns = {{L"#", 30}, {L"Code", 50}, {L"Level", 50}, {L"Data", 50}, {L"Description", 270}};
    rows.historical.columns = {{L"#", 30},     {L"Code", 50}, {L"Level", 50},
                               {L"Times", 50}, {L"Data", 50}, {L"Description", 220}};
    const auto description = [&](uint16_t code) { return text::Utf8ToWide(describe(code)); };
    for (const FJ::FaultRecord& r : FJ::FaultRecords(FJ::FaultTable::Current))
        rows.current.rows.push_back({Number(static_cast<uint32_t>(r.number)), Number(r.code), Number(r.level),
                                     Number(r.data), description(r.code)});
    for (const FJ::FaultRecord& r : FJ::FaultRecords(FJ::FaultTable::Historical))
        rows.historical.rows.push_back({Number(static_cast<uint32_t>(r.number)), Number(r.code),
                                        Number(r.level), Number(r.times), Number(r.data),
                                        description(r.code)});
    rows.legend = FaultLegendLines();
    // No code table is known but the maker's: without its file every description stays empty.
    const std::filesystem::path file = FJ::FJController().ErrorCodeFile();
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        rows.notice = L"No fault descriptions: put the maker's fj-errors.csv at " +
                      text::Utf8ToWide(text::PathToUtf8(file));
    return rows;
}

// The controller and battery real-time lists, one address at a time.
void ReadFjLiveValues() {
    FJ::FJController driver;
    for (const auto name : {FJ::kControllerRealTimeList, FJ::kBatteryRealTimeList})
        for (const ParamEntry& entry : FJ::List(name))
            if (const auto address = FJ::TryParseId(entry.key))
                driver.ReadParameter(address->group, address->index);
}

}  // namespace

const FamilyOps& FjOps() {
    static const FamilyOps ops = {
        Family::FJ,
        "FJ",
        FJ::FJController().GetBaudRate(),
        0x800B,
        &Settings::probeFj,
        false,
        [] { return std::shared_ptr<ControllerInterface>(std::make_shared<FJ::FJController>()); },
        [] { return FJ::FJController().ReadAll(); },
        [] { FJ::FjValueTable::Instance().ForgetReads(); },
        FJ::EntryWasRead,
        [] { return std::vector<std::string>(); },
        [] { return FJ::FJController().WriteChangedParameters(); },
        [](const std::wstring& key) {
            const auto address = FJ::TryParseId(key);
            return !address || FJ::FJController().ReadParameter(address->group, address->index);
        },
        [](const std::wstring&) { return false; },
        datafiles::FjLayout,
        FjFaultRows,
        {FJ::ParseTxFrame, FJ::ParseRxFrame, FJ::FixChecksum, FJ::TransmitFrame, FJ::kRequestLength},
        &datafiles::kFjDataFile,
        FJ::ResetFamily,
        [] {
            return ControllerBanner{L"FJ Controller", 211};
        },
        [] {
            if (FJ::List(FJ::kSpeedTuningList).empty()) FJ::BuildEntryLists();
        },
        ReadFjLiveValues,
    };
    return ops;
}

}  // namespace session
