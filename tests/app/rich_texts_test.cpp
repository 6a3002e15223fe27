#include "app/cards/rich_texts.h"

#include <gtest/gtest.h>

#include <string>

#include "app/cards/connection_model.h"

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

TEST(RichTexts, AreWholeDocumentsEndingWithAParagraph) {
    for (const std::string* rtf : {&app::AgreementRtf(), &app::AboutRtf(), &app::ConnectionHelpRtf()}) {
        EXPECT_EQ(rtf->rfind("{\\rtf1", 0), 0u);
        EXPECT_TRUE(BracesBalance(*rtf));
        EXPECT_TRUE(rtf->ends_with("\\par }"));
    }
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
