#include "core/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

TEST(Text, Utf8RoundTripsAndInvalidBytesBecomeReplacementCharacters) {
    for (const std::string s : {"",
                                "\xC2\xB0"
                                "C",
                                "\xE2\x82\xAC", "\xF0\x9F\x94\x8B battery"}) {
        SCOPED_TRACE(s);
        EXPECT_EQ(text::WideToUtf8(text::Utf8ToWide(s)), s);
    }
    EXPECT_EQ(text::Utf8ToWide("\xF0\x9F\x94\x8B").size(), sizeof(wchar_t) == 2 ? 2u : 1u);
    struct Case {
        const char* what;
        std::string in;
        std::wstring out;
    };
    const Case cases[] = {
        {"lone continuation", "a\x80z", L"a\uFFFDz"},
        {"cut sequence at end", "a\xE2\x82", L"a\uFFFD\uFFFD"},
        {"overlong slash", "\xC0\xAF", L"\uFFFD\uFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(text::Utf8ToWide(c.in), c.out);
    }
}

TEST(Text, LeadingNumberParse) {
    struct Case {
        const char* in;
        std::optional<double> out;
    };
    const Case cases[] = {
        {"  -12.5 V", -12.5},
        {"+3", 3.0},
        {"1e3", 1000.0},
        {"4e", 4.0},
        {".5", 0.5},
        {"5.", 5.0},
        {"", std::nullopt},
        {"-", std::nullopt},
        {".", std::nullopt},
        {"nan", std::nullopt},
        {"inf", std::nullopt},
        {"1e999", std::nullopt},
        {"Forward", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(text::ParseLeadingDouble(std::string(c.in)), c.out);
    }
}

// What a technician types: the whole text must be the number, in ASCII, with a point for decimals, so
// the value checked is the value stored.
TEST(Text, TypedNumberIsTheWholeText) {
    using text::TypedNumberError;
    struct Case {
        const wchar_t* in;
        std::optional<double> out;
        TypedNumberError error;
    };
    const Case cases[] = {
        {L" 100\t", 100.0, TypedNumberError::None},
        {L"-7.5", -7.5, TypedNumberError::None},
        {L".5", 0.5, TypedNumberError::None},
        {L"2,5", std::nullopt, TypedNumberError::DecimalComma},
        {L"5000abc", std::nullopt, TypedNumberError::NotANumber},
        {L"0x10", std::nullopt, TypedNumberError::NotANumber},
        {L"1e3", std::nullopt, TypedNumberError::NotANumber},
        {L"1.2.3", std::nullopt, TypedNumberError::NotANumber},
        {L"1,000.5", std::nullopt, TypedNumberError::NotANumber},
        {L"", std::nullopt, TypedNumberError::NotANumber},
        {L"   ", std::nullopt, TypedNumberError::NotANumber},
        {L"1 000", std::nullopt, TypedNumberError::NotANumber},
        {L"-", std::nullopt, TypedNumberError::NotANumber},
        {L"6\u0130\u0130\u0130\u0130", std::nullopt, TypedNumberError::NotANumber},  // low bytes '0'
        {L"\uFF15", std::nullopt, TypedNumberError::NotANumber},                     // full-width 5
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(text::WideToUtf8(c.in));
        TypedNumberError error = TypedNumberError::None;
        EXPECT_EQ(text::ParseTypedNumber(std::wstring_view(c.in), &error), c.out);
        EXPECT_EQ(error, c.error);
    }
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
