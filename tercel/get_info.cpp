#include "tercel/get_info.h"

#include "core/log.h"
#include "core/param_entry.h"
#include "tercel/command_codec.h"
#include "tercel/entry_lists.h"

namespace Tercel {

namespace {

constexpr size_t kDescriptionStart = 13;
constexpr size_t kDescriptionLength = 24;

uint16_t BigEndianWord(const Frame& frame, size_t position) {
    return static_cast<uint16_t>(frame[position] << 8 | frame[position + 1]);
}

ParamEntry IdentityEntry(GetInfo* owner, const wchar_t* key, const wchar_t* label, ParamKind kind,
                         ParamGetter getter) {
    return ParamEntry{key, label, owner, kind, L"", L"", FixedMax(L""), true, std::move(getter), nullptr};
}

}  // namespace

bool GetInfo::IsValid(const Frame& frame) const {
    return ValidateResponse(frame);
}

uint8_t GetInfo::GetId() const {
    return MCB_CMD_GETINFO;
}

bool GetInfo::Parse(const Frame& frame) {
    // The check alone cannot vouch for the length: a short frame that passes it has no fields to read.
    if (!IsValid(frame) || frame.size() < kIdentityAnswerLength) {
        Log("GetInfo: Invalid data");
        return false;
    }
    protocolVersion_ = frame[2];
    reserved3_ = frame[3];
    reserved4_ = frame[4];
    firmwareMajor_ = frame[5];
    firmwareMinor_ = frame[6];
    reserved7_ = frame[7];
    word8_ = BigEndianWord(frame, 8);
    word10_ = BigEndianWord(frame, 10);
    description_.clear();
    for (size_t i = kDescriptionStart; i < kDescriptionStart + kDescriptionLength && frame[i] != 0; ++i)
        description_ += static_cast<char>(frame[i]);
    BuildParamEntries();
    return true;
}

Frame GetInfo::Serialize() const {
    return {kSom, 0x00};
}

std::string GetInfo::FirmwareVersion() const {
    return std::to_string(firmwareMajor_) + "." + std::to_string(firmwareMinor_);
}

std::string GetInfo::Describe() const {
    return DescribeEntries(this, {&List(kIdentityList)});
}

void GetInfo::BuildParamEntries() {
    using C = GetInfo;
    List(kIdentityList) = {
        IdentityEntry(this, L"protVer", L"Protocol Version Number", ParamKind::UInt8,
                      makeGetter(&C::ProtocolVersion)),
        IdentityEntry(this, L"FirmwareVersion", L"Firmware Version", ParamKind::Text,
                      makeGetter(&C::FirmwareVersion)),
        IdentityEntry(this, L"desc", L"Description", ParamKind::Text, makeGetter(&C::Description)),
    };
}

}  // namespace Tercel
