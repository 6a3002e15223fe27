// Stands for a page this build does not have yet (the connection, tuning, faults and RX/TX pages),
// so that the navigation and the connection events work end to end.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/card_base.h"
#include "app/win32_ui.h"

namespace app {

class PlaceholderCard final : public CardBase {
public:
    // A picture, when given, stands in the navigation column above the entries as the real page's will.
    PlaceholderCard(std::string title, std::wstring caption, int pictureId = 0, int pictureBottom = 0)
        : title_(std::move(title)),
          caption_(std::move(caption)),
          pictureId_(pictureId),
          pictureBottom_(pictureBottom) {}
    ~PlaceholderCard() override { Hide(); }

    std::string GetTitle() const override { return title_; }
    void Show(PaintSurface& surface, const Rect& content) override;
    void Hide() override;

private:
    std::string title_;
    std::wstring caption_;
    int pictureId_;
    int pictureBottom_;
    std::unique_ptr<Picture> picture_;
    HFONT captionFont_ = nullptr;
    HFONT noteFont_ = nullptr;
};

}  // namespace app
