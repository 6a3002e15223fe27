#include "app/cards/rich_texts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Braces outside escapes must pair up, or the rich edit box stops reading early.
bool BracesBalance(const std::string& rtf) {
    int depth = 0;
    for (size_t i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            ++i;
        } else if (rtf[i] == '{') {
            ++depth;
        } else if (rtf[i] == '}') {
            if (--depth < 0) return false;
        }
    }
    return depth == 0;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(RichTexts, AreWholeDocumentsEndingWithAParagraph) {
    for (const std::string* rtf : {&app::AgreementRtf(), &app::AboutRtf()}) {
        EXPECT_EQ(rtf->rfind("{\\rtf1", 0), 0u);
        EXPECT_TRUE(BracesBalance(*rtf));
        EXPECT_TRUE(rtf->ends_with("\\par }"));
        EXPECT_TRUE(Contains(*rtf, "Segoe UI;"));
        EXPECT_TRUE(Contains(*rtf, "\\fs24"));
        EXPECT_TRUE(Contains(*rtf, "\\qc\\sa200\\b Vantrel End-User License Agreement (EULA)\\b0"));
    }
}

TEST(RichTexts, AgreementHasSevenNumberedTerms) {
    const std::string& rtf = app::AgreementRtf();
    for (int term = 1; term <= 7; ++term)
        EXPECT_TRUE(Contains(rtf, std::to_string(term) + ".\\tab ")) << term;
    EXPECT_FALSE(Contains(rtf, "8.\\tab "));
}

TEST(RichTexts, AgreementClosesWithTheRequestInRedAndTheMaker) {
    const std::string& rtf = app::AgreementRtf();
    EXPECT_TRUE(Contains(rtf, "\\red192\\green0\\blue0;"));
    EXPECT_TRUE(Contains(rtf,
                         "\\qc\\sb200\\b\\cf2 If you do not agree with these statements and terms then\\par "
                         "\\sb0 Click DISAGREE to EXIT\\cf1\\par "));
    EXPECT_TRUE(Contains(rtf, "Copyright 2026 The Vantrel Project\\b0\\par }"));
    EXPECT_FALSE(Contains(rtf, "Contact us at"));
}

TEST(RichTexts, AboutClosesWithTheContactLink) {
    const std::string& rtf = app::AboutRtf();
    EXPECT_TRUE(Contains(rtf, "\\qc\\sb200\\b Contact us at \\ul\\cf3 support@vantrel.example\\ul0"));
    EXPECT_FALSE(Contains(rtf, "DISAGREE"));
}

struct LinkCase {
    const wchar_t* clicked;
    const wchar_t* target;
};

TEST(RichTexts, LinkTargetMakesMailAddressesMailLinks) {
    const LinkCase cases[] = {
        {L"support@vantrel.example", L"mailto:support@vantrel.example"},
        {L"mailto:someone@vantrel.example", L"mailto:someone@vantrel.example"},
        {L"https://vantrel.example/help", L"https://vantrel.example/help"},
        {L"vantrel.example", L"vantrel.example"},
    };
    for (const auto& c : cases) EXPECT_EQ(app::LinkTarget(c.clicked), c.target);
}

}  // namespace
