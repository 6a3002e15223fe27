#include "app/cards/about_card.h"

#include "app/cards/rich_texts.h"
#include "app/resource_ids.h"

namespace app {

void AboutCard::Show(PaintSurface&, const Rect& content) {
    if (created_) return;
    created_ = true;
    const int left = content.left + 100;
    text_ = CreateRichTextBox(parent_, Rect{left, 20, left + 600, 620}, AboutRtf());
    logo_.Create(parent_, kPictureLogo, 45, 13, 75, 112);
}

void AboutCard::Hide() {
    DestroyChild(text_);
    logo_.Destroy();
    created_ = false;
}

}  // namespace app
