#include "app/cards/acknowledge_card.h"

#include <string>

#include "app/app_ids.h"
#include "app/cards/rich_texts.h"
#include "app/resource_ids.h"
#include "core/log.h"
#include "core/prompter.h"

namespace app {

void AcknowledgeCard::Show(PaintSurface&, const Rect& content) {
    if (created_) return;
    created_ = true;
    disagree_ = CreateChild(parent_, L"BUTTON", L"Disagree", WS_TABSTOP | BS_DEFPUSHBUTTON,
                            Rect{420, 650, 520, 678}, kIdDisagree);
    agree_ = CreateChild(parent_, L"BUTTON", L"I Agree", WS_TABSTOP | BS_PUSHBUTTON, Rect{620, 650, 720, 678},
                         kIdAgree);
    agreementPicture_.Create(parent_, kPictureAgreement, 925, 90, 75, 112);
    logo_.Create(parent_, kPictureLogo, 45, 13, 75, 112);
    const int left = content.left + 100;
    text_ = CreateRichTextBox(parent_, Rect{left, 20, left + 600, 620}, AgreementRtf());
    if (!text_) {
        CurrentPrompter().ShowMessage(L"Error code: " + std::to_wstring(GetLastError()), L"Error",
                                      MessageIcon::Error);
    }
    Log(L"EULA Presented");
}

void AcknowledgeCard::Hide() {
    DestroyChild(text_);
    DestroyChild(agree_);
    DestroyChild(disagree_);
    agreementPicture_.Destroy();
    logo_.Destroy();
    created_ = false;
}

}  // namespace app
