// Bytes as hexadecimal text: the payloads of data files, the raw frame page and the frame lines of the log.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// "57492230": two upper-case digits per byte, nothing between them.
std::string ToHex(const std::vector<uint8_t>& bytes);
// "57 49 22 30", as the raw frame page shows a frame.
std::string ToSpacedHex(const std::vector<uint8_t>& bytes);
// "[RX] 0xAA 0x08 0x86"
std::string FormatFrame(std::string_view tag, const std::vector<uint8_t>& bytes);

// "[TX] 0x57 0x49 ": the frame dump before a transmission, each byte followed by a blank; no
// brackets when the tag is empty.
std::string FormatFrameDump(std::string_view tag, const std::vector<uint8_t>& bytes);

// Pairs of hex digits of either case; white space between pairs is skipped. Text that is not such
// pairs logs why (and gives the line in whyNot) and gives nothing.
std::optional<std::vector<uint8_t>> TryFromHex(std::string_view text, std::string* whyNot = nullptr);
// The same, with an empty result for refused text.
std::vector<uint8_t> FromHex(std::string_view text);
