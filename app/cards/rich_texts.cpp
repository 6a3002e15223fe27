#include "app/cards/rich_texts.h"

namespace app {

namespace {

// Segoe UI at 12 pt; colour 1 black, 2 red for the closing request, 3 blue for the mail link.
constexpr const char* kHeader =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0"
    "{\\fonttbl{\\f0\\fswiss\\fcharset0 Segoe UI;}}"
    "{\\colortbl ;\\red0\\green0\\blue0;\\red192\\green0\\blue0;\\red0\\green70\\blue160;}"
    "\\viewkind4\\uc1\\f0\\fs24\\cf1 ";

constexpr const char* kTitle = "\\pard\\qc\\sa200\\b Vantrel End-User License Agreement (EULA)\\b0\\par ";

constexpr const char* kIntroduction =
    "\\pard\\ql\\sa120 Please read this agreement before you use Vantrel. It applies to every use of "
    "the program, on any vehicle and any controller. By clicking I AGREE you accept the terms below.\\par ";

// Numbered paragraphs with a hanging indent, so that a wrapped line starts under the text.
constexpr const char* kTerms[] = {
    "\\b Changing the parameters of a motor controller may void the warranty of the controller and of the "
    "vehicle. Wrong settings can damage the motor, the controller, the batteries and the vehicle, and can "
    "cause loss of property, injury or death.\\b0",
    "Factory and dealer settings are meant for trained technicians who know the vehicle and its "
    "controller. Save a backup of the settings before you change them.",
    "Vantrel is licensed, not sold. You may install it and use it to read, record and adjust the "
    "controllers that you own or are authorised to service.",
    "After every change, test the vehicle in a safe, open place, at low speed and with nobody in its way, "
    "before it is used on a road or path.",
    "You may not modify, reverse engineer, decompile or redistribute Vantrel, in whole or in part, except "
    "where the law allows it.",
    "\\b Vantrel is provided as it is, without any warranty. Its makers are not liable for any damage, loss "
    "or injury that comes from using it, or from being unable to use it.\\b0",
    "\\b You alone bear the risks of using Vantrel and of every change you make to a controller.\\b0",
};

constexpr const char* kCopyrightYear = "2026";

std::string AgreementClosing() {
    return std::string(
               "\\pard\\qc\\sb200\\b\\cf2 If you do not agree with these statements and terms then\\par "
               "\\sb0 Click DISAGREE to EXIT\\cf1\\par \\sb120 Copyright ") +
           kCopyrightYear + " " + kMakerName + "\\b0\\par }";
}

// The address is plain text that the box's URL detection turns into a mail link: a named link
// (an RTF field) would not show at all in rich edit boxes that skip fields.
std::string AboutClosing() {
    return std::string("\\pard\\qc\\sb200\\b Contact us at \\ul\\cf3 ") + kContactAddress +
           "\\ul0\\cf1\\b0\\par }";
}

std::string AgreementBody() {
    std::string body = kHeader;
    body += kTitle;
    body += kIntroduction;
    int number = 1;
    for (const char* term : kTerms) {
        body += "\\pard\\ql\\li400\\fi-400\\tx400\\sa120 ";
        body += std::to_string(number++);
        body += ".\\tab ";
        body += term;
        body += "\\par ";
    }
    return body;
}

}  // namespace

const std::string& AgreementRtf() {
    static const std::string text = AgreementBody() + AgreementClosing();
    return text;
}

const std::string& AboutRtf() {
    static const std::string text = AgreementBody() + AboutClosing();
    return text;
}

std::wstring LinkTarget(std::wstring_view clicked) {
    const bool hasScheme = clicked.find(L':') != std::wstring_view::npos;
    if (!hasScheme && clicked.find(L'@') != std::wstring_view::npos)
        return L"mailto:" + std::wstring(clicked);
    return std::wstring(clicked);
}

}  // namespace app
