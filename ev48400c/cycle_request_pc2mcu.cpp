#include "ev48400c/cycle_request_pc2mcu.h"

#include "core/log.h"
#include "ev48400c/group_entries.h"

namespace EV48400C {

bool CycleRequestPC2MCU::Parse(const Frame& frame) {
    if (!IsValid(frame)) {
        Log("CycleRequestPC2MCU: Invalidate data");
        return false;
    }
    requestCommand_ = frame[4];
    requestData_ = frame[5];
    faultIndex_ = frame[6];
    faultSubNumber_ = frame[7];
    return true;
}

Frame CycleRequestPC2MCU::Serialize() const {
    Frame frame = NewFrame(GetId());
    frame[4] = requestCommand_;
    frame[5] = requestData_;
    frame[6] = faultIndex_;
    frame[7] = faultSubNumber_;
    return SealFrame(std::move(frame), "CycleRequestPC2MCU");
}

std::string CycleRequestPC2MCU::Describe() const {
    return "CID: " + ByteText(GetId()) + "\r\n" +
           "Request command: " + EnumText(kRequestCommandNames, requestCommand_) + "\r\n" +
           "Request data: " + ByteText(requestData_) + " " + MessageName(requestData_) + "\r\n" +
           "Historical fault index: " + ByteText(faultIndex_) + "\r\n" +
           "Historical Fault Section Sub-Number: " + ByteText(faultSubNumber_);
}

}  // namespace EV48400C
