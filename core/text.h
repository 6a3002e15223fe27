// Text conversions used everywhere. None of them throws on bad input.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace text {

// UTF-8 to wide (UTF-16 on Windows, UTF-32 elsewhere). Invalid sequences become U+FFFD.
std::wstring Utf8ToWide(std::string_view utf8);
// Wide to UTF-8. Unpaired surrogates become U+FFFD.
std::string WideToUtf8(std::wstring_view wide);
// Paths from and to UTF-8 or wide text, the same on every platform.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::filesystem::path PathFromWide(std::wstring_view wide);
std::string PathToUtf8(const std::filesystem::path& path);
// Each wide character cut to its low byte.
std::string NarrowByLowByte(std::wstring_view wide);
// Each narrow byte taken as one wide character (0..255).
std::wstring WidenByChar(std::string_view narrow);

// The number at the start of the text, as the tuning page reads a bound or an edit: leading white
// space, an optional sign, digits with an optional fraction and exponent ("2.0 V" gives 2). Nothing
// when the text does not start with a number or the number is out of double range.
// whyNot, when given, receives "not a number" or "out of range" on failure.
std::optional<double> ParseLeadingDouble(std::string_view text, std::string* whyNot = nullptr);
std::optional<double> ParseLeadingDouble(std::wstring_view text, std::string* whyNot = nullptr);

// A number as a person types it for an entry: blanks around it, an optional sign, ASCII digits and at
// most one decimal point, nothing else ("2,5", "5000abc", "0x10", "1e3" and non-ASCII digits are not
// numbers). The whole text must be the number, so the value checked is the value stored.
enum class TypedNumberError { None, NotANumber, DecimalComma };
std::optional<double> ParseTypedNumber(std::wstring_view text, TypedNumberError* error = nullptr);
std::optional<double> ParseTypedNumber(std::string_view text, TypedNumberError* error = nullptr);
// The text without the blanks around it.
std::wstring TrimBlanks(std::wstring_view text);

// value x factor, truncated toward zero, into a 16-bit field. Throws std::out_of_range when the
// product is not finite or does not fit [minField, maxField]: a wrapped value would reach the
// controller as a different setting (12000 x 10 is not 54464).
int32_t CheckedScale(double value, double factor, int32_t minField, int32_t maxField);
inline uint16_t CheckedScaleU16(double value, double factor) {
    return static_cast<uint16_t>(CheckedScale(value, factor, 0, 0xFFFF));
}
inline int16_t CheckedScaleS16(double value, double factor) {
    return static_cast<int16_t>(CheckedScale(value, factor, -0x8000, 0x7FFF));
}

// Lower-case of ASCII letters only, as the private-profile rules compare names.
std::string AsciiLower(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace text
