// The about page: the agreement again, with the contact address.
#pragma once

#include <windows.h>

#include "app/card_base.h"
#include "app/win32_ui.h"

namespace app {

class AboutCard final : public CardBase {
public:
    explicit AboutCard(HWND parent) : parent_(parent) {}
    ~AboutCard() override { Hide(); }

    std::string GetTitle() const override { return "About Vantrel"; }
    void Show(PaintSurface& surface, const Rect& content) override;
    void Hide() override;

private:
    HWND parent_;
    HWND text_ = nullptr;
    PictureControl logo_;
    bool created_ = false;
};

}  // namespace app
