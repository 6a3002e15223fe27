#include "app/cards/placeholder_card.h"

#include "app/win32_ui.h"

namespace app {

void PlaceholderCard::Show(PaintSurface& surface, const Rect& content) {
    if (!captionFont_) captionFont_ = CreateUiFont(20, FW_BOLD);
    if (!noteFont_) noteFont_ = CreateUiFont(16, FW_NORMAL);
    if (pictureId_ != 0 && !picture_) picture_ = Picture::Load(pictureId_);
    if (picture_) picture_->Draw(surface.dc, 45, pictureBottom_ - picture_->Height());
    const int left = content.left + 100;
    DrawLine(surface.dc, caption_, captionFont_,
             RECT{left, content.top + 50, content.right, content.top + 70});
    DrawLine(surface.dc, L"This page is not part of this build.", noteFont_,
             RECT{left, content.top + 80, content.right, content.top + 100});
}

void PlaceholderCard::Hide() {
    if (captionFont_) DeleteObject(captionFont_);
    if (noteFont_) DeleteObject(noteFont_);
    captionFont_ = nullptr;
    picture_.reset();
    noteFont_ = nullptr;
}

}  // namespace app
