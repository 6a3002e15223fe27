#include "session/fault_rows.h"

#include "fj/fj_controller.h"
#include "session/family_table.h"

namespace session {

FaultRows BuildFaultRows(Family family, const FaultDescriber& describe) {
    return Ops(family).faultRows(describe);
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

}  // namespace session
