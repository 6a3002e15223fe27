#include "core/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

TEST(Text, Utf8RoundTripsAndInvalidBytesBecomeReplacementCharacters) {
    for (const std::string s : {"", "\u00B0C", "\u20AC", "\U0001F50B battery"})
        EXPECT_EQ(text::WideToUtf8(text::Utf8ToWide(s)), s) << s;
    EXPECT_EQ(text::Utf8ToWide("\xF0\x9F\x94\x8B").size(), sizeof(wchar_t) == 2 ? 2u : 1u);
    const std::pair<std::string, std::wstring> invalid[] = {
        {"a\x80z", L"a\uFFFDz"},                   // lone continuation
        {"a\xE2\x82", L"a\uFFFD\uFFFD"},           // cut at the end
        {"\xC0\xAF", L"\uFFFD\uFFFD"},             // overlong slash
        {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"}};  // surrogate
    for (const auto& [in, out] : invalid) EXPECT_EQ(text::Utf8ToWide(in), out);
}

TEST(Text, LeadingNumberParse) {
    const std::pair<const char*, double> read[] = {{"  -12.5 V", -12.5}, {"+3", 3.0}, {"1e3", 1000.0},
                                                   {"4e", 4.0},          {".5", 0.5}, {"5.", 5.0}};
    for (const auto& [in, out] : read) EXPECT_EQ(text::ParseLeadingDouble(std::string(in)), out) << in;
    for (const char* in : {"", "-", ".", "nan", "inf", "1e999", "Forward"})
        EXPECT_EQ(text::ParseLeadingDouble(std::string(in)), std::nullopt) << in;
}

// What a technician types: the whole text must be the number, in ASCII, with a point for decimals, so
// the value checked is the value stored.
TEST(Text, TypedNumberIsTheWholeText) {
    using text::TypedNumberError;
    const auto parse = [](std::wstring_view typed) {
        TypedNumberError error = TypedNumberError::None;
        const auto number = text::ParseTypedNumber(typed, &error);
        return std::pair{number, error};
    };
    const std::pair<const wchar_t*, double> taken[] = {{L" 100\t", 100.0}, {L"-7.5", -7.5}, {L".5", 0.5}};
    for (const auto& [in, out] : taken)
        EXPECT_EQ(parse(in), std::pair(std::optional(out), TypedNumberError::None)) << text::WideToUtf8(in);
    EXPECT_EQ(parse(L"2,5"), std::pair(std::optional<double>(), TypedNumberError::DecimalComma));
    // U+0130 has '0' for its low byte; U+FF15 is a full-width 5.
    for (const wchar_t* in : {L"5000abc", L"0x10", L"1e3", L"1.2.3", L"1,000.5", L"", L"   ", L"1 000", L"-",
                              L"6\u0130\u0130\u0130\u0130", L"\uFF15"})
        EXPECT_EQ(parse(in), std::pair(std::optional<double>(), TypedNumberError::NotANumber))
            << text::WideToUtf8(in);
    // No character outside ASCII counts as a digit or a point, whatever its low byte.
    for (wchar_t c = 0x80; c < 0x3000; ++c) {
        const std::wstring typed = std::wstring(L"6") + c;
        ASSERT_FALSE(text::ParseTypedNumber(std::wstring_view(typed))) << static_cast<int>(c);
    }
}

TEST(Text, CheckedScaleRefusesWhatDoesNotFit) {
    EXPECT_EQ(text::CheckedScaleU16(12.34, 100), 1234);
    EXPECT_EQ(text::CheckedScaleU16(6553.5, 10), 65535);
    EXPECT_EQ(text::CheckedScaleU16(-0.05, 10), 0);  // truncated toward zero
    EXPECT_EQ(text::CheckedScaleS16(-3276.8, 10), -32768);
    EXPECT_THROW(text::CheckedScaleU16(12000, 10), std::out_of_range);  // would wrap to 54464
    EXPECT_THROW(text::CheckedScaleU16(-1, 10), std::out_of_range);
    EXPECT_THROW(text::CheckedScaleS16(3276.8, 10), std::out_of_range);
    EXPECT_THROW(text::CheckedScaleU16(std::nan(""), 10), std::out_of_range);
    EXPECT_THROW(text::CheckedScaleU16(std::numeric_limits<double>::infinity(), 1), std::out_of_range);
}

}  // namespace
