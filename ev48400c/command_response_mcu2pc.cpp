#include "ev48400c/command_response_mcu2pc.h"

#include "core/log.h"
#include "ev48400c/enumerations.h"
#include "ev48400c/group_entries.h"

namespace EV48400C {

bool CommandResponse_MCU2PC::Parse(const Frame& frame) {
    if (!IsValid(frame)) {
        Log("CommandResponse_MCU2PC: Invalid data");
        return false;
    }
    requestId_ = frame[4];
    responseCode_ = frame[5];
    historyDtcNumber_ = ReadWord(frame, 6);
    return true;
}

Frame CommandResponse_MCU2PC::Serialize() const {
    Frame frame = NewFrame(GetId());
    frame[4] = requestId_;
    frame[5] = responseCode_;
    PutWord(frame, 6, historyDtcNumber_);
    return SealFrame(std::move(frame), "CommandResponse_MCU2PC");
}

std::string CommandResponse_MCU2PC::Describe() const {
    return "CID: " + ByteText(GetId()) + "\r\n" + "RequestID: " + std::to_string(requestId_) + "\r\n" +
           "ResponseCode: " + EnumText(kResponseCodeNames, responseCode_) + "\r\n" +
           "HistoryDTCNum: " + std::to_string(historyDtcNumber_);
}

}  // namespace EV48400C
